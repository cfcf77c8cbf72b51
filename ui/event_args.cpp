#include "ui/event_args.h"

#include <utility>

namespace ui {

int EventTypeFromName(const std::u16string& name) {
  static const std::map<std::u16string, int> kNames = {
      {u"all", kEventAll},
      {u"keydown", kEventKeyDown},
      {u"keyup", kEventKeyUp},
      {u"char", kEventChar},
      {u"syskey", kEventSystemKey},
      {u"mousemove", kEventMouseMove},
      {u"mouseenter", kEventMouseEnter},
      {u"mouseleave", kEventMouseLeave},
      {u"mousehover", kEventMouseHover},
      {u"buttondown", kEventMouseButtonDown},
      {u"buttonup", kEventMouseButtonUp},
      {u"rbuttondown", kEventMouseRButtonDown},
      {u"doubleclick", kEventMouseDoubleClick},
      {u"menu", kEventMouseMenu},
      {u"scrollwheel", kEventMouseScrollWheel},
      {u"setfocus", kEventSetFocus},
      {u"killfocus", kEventKillFocus},
      {u"windowclose", kEventWindowClose},
      {u"setcursor", kEventSetCursor},
      {u"select", kEventSelect},
      {u"unselect", kEventUnSelect},
      {u"return", kEventReturn},
      {u"tab", kEventTab},
      {u"scrollchange", kEventScrollChange},
      {u"valuechange", kEventValueChange},
  };
  auto it = kNames.find(name);
  return it == kNames.end() ? kEventNone : it->second;
}

bool RunEventCallbacks(const EventCallbackList& callbacks, EventArgs* event) {
  // A copy: a handler may append to the list or delete the control that
  // holds it while the list runs.
  EventCallbackList copy = callbacks;
  for (const EventCallback& callback : copy) {
    if (!callback(event)) return false;
  }
  return true;
}

}  // namespace ui
