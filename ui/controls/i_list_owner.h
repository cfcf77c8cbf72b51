// What a list row needs from the list that holds it: the selection, the
// list's own event dispatch, and scrolling a rectangle into view.
#ifndef UI_CONTROLS_I_LIST_OWNER_H_
#define UI_CONTROLS_I_LIST_OWNER_H_

#include "ui/event_args.h"
#include "ui/render/render_types.h"

namespace ui {

class IListOwner {
 public:
  virtual int GetCurSel() const = 0;
  virtual bool SelectItem(int index, bool take_focus, bool trigger) = 0;
  virtual void HandleEvent(EventArgs& event) = 0;
  virtual void EnsureVisible(const UiRect& rect) = 0;
  virtual void StopScroll() = 0;

 protected:
  ~IListOwner() = default;
};

}  // namespace ui

#endif  // UI_CONTROLS_I_LIST_OWNER_H_
