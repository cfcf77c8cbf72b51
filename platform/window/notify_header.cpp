#include "platform/window/notify_header.h"

#include <vector>

#include "platform/window/window_api.h"

namespace platform {
namespace {

// The headers being sent on this thread, innermost last.
thread_local std::vector<NMHDR*> g_headers_in_flight;

}  // namespace

LRESULT SendNotify(HWND hwnd, WPARAM id, NMHDR* header) {
  if (header == nullptr) return 0;
  g_headers_in_flight.push_back(header);
  const LRESULT result = SendMessage(hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(header));
  g_headers_in_flight.pop_back();  // sends nest: the innermost ends first
  return result;
}

NMHDR* NotifyHeaderFromLParam(LPARAM lparam) {
  for (NMHDR* header : g_headers_in_flight) {
    if (reinterpret_cast<LPARAM>(header) == lparam) return header;
  }
  return nullptr;
}

}  // namespace platform
