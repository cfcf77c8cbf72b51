// The event record every control receives, the event numbers, and the
// handler lists that code and layouts attach to controls.
#ifndef UI_EVENT_ARGS_H_
#define UI_EVENT_ARGS_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/message/message_types.h"
#include "ui/render/render_types.h"

namespace ui {

class Control;

// Event numbers. 0 to 3 are internal: dispatch hands them straight to the
// default handling, never to a handler list.
enum EventType : int {
  kEventInternalDoubleClick = 0,
  kEventInternalMenu = 1,
  kEventInternalSetFocus = 2,
  kEventInternalKillFocus = 3,
  kEventNone = 4,  // what an unknown name maps to; nothing fires it
  kEventAll = 6,
  kEventKeyDown = 8,
  kEventKeyUp = 9,
  kEventChar = 10,
  kEventSystemKey = 11,
  kEventMouseMove = 14,
  kEventMouseEnter = 15,
  kEventMouseLeave = 16,
  kEventMouseHover = 17,
  kEventMouseButtonDown = 18,
  kEventMouseButtonUp = 19,
  kEventMouseRButtonDown = 20,
  kEventMouseRButtonUp = 21,
  kEventMouseDoubleClick = 22,
  kEventMouseMenu = 23,
  kEventMouseScrollWheel = 24,
  kEventTouchDown = 27,
  kEventTouchMove = 28,
  kEventTouchUp = 29,
  kEventPointDown = 32,
  kEventPointMove = 33,
  kEventPointUp = 34,
  kEventSetFocus = 36,
  kEventKillFocus = 37,
  kEventWindowSize = 38,
  kEventWindowClose = 39,
  kEventSetCursor = 40,
  kEventClick = 41,
  kEventSelect = 42,
  kEventUnSelect = 43,
  kEventTextChange = 44,
  kEventReturn = 45,
  kEventTab = 46,
  kEventCustomLinkClick = 47,
  kEventImeStartComposition = 48,
  kEventImeEndComposition = 49,
  kEventScrollChange = 50,
  kEventValueChange = 51,
  kEventResize = 52,
};

inline bool IsMouseEvent(int type) {
  return type >= kEventMouseMove && type <= kEventMouseScrollWheel;
}
inline bool IsInternalEvent(int type) { return type >= 0 && type <= kEventInternalKillFocus; }

struct EventArgs {
  int Type = kEventNone;
  Control* pSender = nullptr;
  uint32_t dwTimestamp = 0;
  UiPoint ptMouse;
  char16_t chKey = 0;
  platform::WPARAM wParam = 0;
  platform::LPARAM lParam = 0;
  float pressure = 0.0f;
};

// True lets processing go on; false stops it.
using EventCallback = std::function<bool(EventArgs*)>;
using EventCallbackList = std::vector<EventCallback>;
using EventMap = std::map<int, EventCallbackList>;

// The number of a layout event name ("click" is not one: clicks are attached
// by code); any name not listed gives kEventNone. Exact, case-sensitive.
int EventTypeFromName(const std::u16string& name);

// Runs the handlers in order; the first that returns false stops the list
// and makes its result false. The handlers run from a copy, so one may
// attach more handlers (or destroy the list's owner) while it runs.
bool RunEventCallbacks(const EventCallbackList& callbacks, EventArgs* event);

}  // namespace ui

#endif  // UI_EVENT_ARGS_H_
