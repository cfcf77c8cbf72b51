#include "platform/tray/tray_icon.h"

namespace platform {

bool HasValidIconPixels(const TrayIconParams& params) {
  return params.width > 0 && params.height > 0 && params.width <= 1024 && params.height <= 1024 &&
         params.pixels.size() == static_cast<size_t>(params.width) * static_cast<size_t>(params.height);
}

}  // namespace platform
