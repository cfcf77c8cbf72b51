#include "base/framework/message_pump.h"

namespace kbase {

void MessagePump::RunLoop(Delegate* delegate) {
  for (;;) {
    bool more_work_is_plausible = RunNativeWork();
    if (QuitRequested())
      break;
    more_work_is_plausible |= delegate->RunWork();
    if (QuitRequested())
      break;
    more_work_is_plausible |= LookForWakeUp();
    if (QuitRequested())
      break;
    more_work_is_plausible |= delegate->RunDelayedWork(&delayed_work_time_);
    OnDelayedWorkRan(more_work_is_plausible);
    if (QuitRequested())
      break;
    if (more_work_is_plausible)
      continue;
    more_work_is_plausible = delegate->RunIdleWork();
    if (QuitRequested())
      break;
    if (more_work_is_plausible)
      continue;
    WaitForMoreWork();
  }
}

}  // namespace kbase
