// What the control-tree tests share: a message loop on the test's thread
// (the delayed-destroy list is deleted by a posted task), a fake clock for
// the animations, the DPI scale restored after each test, and a control that
// counts its deletions.
#ifndef TESTS_UI_CONTROL_TREE_FIXTURE_H_
#define TESTS_UI_CONTROL_TREE_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>

#include "base/framework/message_loop.h"
#include "platform/clock/fake_clock.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

namespace ui::testing {

// A control that reports its deletion (and may run something as it goes).
class CountedControl : public Control {
 public:
  explicit CountedControl(int* deletions, std::function<void()> on_delete = {})
      : deletions_(deletions), on_delete_(std::move(on_delete)) {}
  ~CountedControl() override {
    ++*deletions_;
    if (on_delete_) on_delete_();
  }

 private:
  int* deletions_;
  std::function<void()> on_delete_;
};

class ControlTreeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    TimerManager::GetInstance()->Shutdown();
    SetScale(100);
    GlobalManager::RemoveAllClasss();
    GlobalManager::SetChannel(u"AppStore");
  }

  // Runs every task posted so far (and those they post) until idle.
  void RunUntilIdle() {
    loop_.PostTask([this] { loop_.QuitWhenIdle(); });
    loop_.RunWithRunState();
  }

  static void SetScale(int percent) {
    DpiManager::GetInstance()->SetAdaptDPI(percent != 100);
    DpiManager::GetInstance()->SetScaleFromDpi(percent * 96 / 100);
  }

  // Moves the clock and runs the timers that became due, as the tick does.
  void Advance(int ms) {
    clock_.Advance(int64_t{ms} * 1000);
    TimerManager::GetInstance()->Poll();
  }

  platform::ScopedFakeClock clock_;
  kbase::MessageLoop loop_;
};

}  // namespace ui::testing

#endif  // TESTS_UI_CONTROL_TREE_FIXTURE_H_
