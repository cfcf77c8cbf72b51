#include "platform/window/touch_pointer_input.h"

#include "platform/window/window_api.h"

namespace platform {

TouchPointerSource* GetTouchPointerSource() {
  WindowBackend* backend = GetWindowBackend();
  return backend != nullptr ? backend->GetTouchPointerSource() : nullptr;
}

}  // namespace platform
