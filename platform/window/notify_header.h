// WM_NOTIFY's header and how it travels. Its lParam points at the sender's
// header for the time of the call, so it is only ever read while this
// thread's own SendNotify is sending it: any other lParam (one that came
// from outside, or outlived its call) is not a header and is never read.
#pragma once

#include "platform/message/message_types.h"

namespace platform {

struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;
};

// Sends WM_NOTIFY (wParam `id`, lParam the header) to a window of this thread.
LRESULT SendNotify(HWND hwnd, WPARAM id, NMHDR* header);

// The header a WM_NOTIFY lParam points at, when it is one being sent by
// SendNotify on this thread; null otherwise.
NMHDR* NotifyHeaderFromLParam(LPARAM lparam);

}  // namespace platform
