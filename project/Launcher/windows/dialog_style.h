#pragma once
// The window style of the launcher's dialogs: a caption, a system menu, a
// sizing frame and a minimise box (the framework takes the caption bits off
// again once the window exists), as the boxes are created with it.

#include <cstdint>

#include "platform/window/window_api.h"

inline constexpr uint32_t kDialogWindowStyle =
    platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_THICKFRAME | platform::WS_MINIMIZEBOX;
