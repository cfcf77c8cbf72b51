// Dispatches the thread's messages until a condition holds, waiting for new
// input in between: for tests that watch a real window system.
#ifndef TESTS_SUPPORT_PUMP_UNTIL_H_
#define TESTS_SUPPORT_PUMP_UNTIL_H_

#include <cstdint>
#include <functional>

#include "platform/clock/clock.h"
#include "platform/message/message_api.h"

namespace testing_support {

// False when |done| does not hold within five seconds.
inline bool PumpUntil(const std::function<bool()>& done) {
  const int64_t deadline = platform::NowMicroseconds() + 5 * 1000 * 1000;
  for (;;) {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
    if (done()) return true;
    if (!platform::WaitForQueueInput(deadline)) return done();
  }
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_PUMP_UNTIL_H_
