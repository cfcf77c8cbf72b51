// A row of a list: an option box that knows its list and its index there.
// Selecting a row goes through the list, which keeps one row selected;
// a row fires "doubleclick" and "return" for its list's users. UI thread
// only.
#ifndef UI_CONTROLS_LIST_CONTAINER_ELEMENT_H_
#define UI_CONTROLS_LIST_CONTAINER_ELEMENT_H_

#include "ui/controls/i_list_owner.h"
#include "ui/controls/option.h"

namespace ui {

class ListContainerElement : public OptionBox {
 public:
  ListContainerElement();

  void SetFadeVisible(bool visible) override;
  void HandleEvent(EventArgs& event) override;
  // Only selects, and only through the owner; the list clears the flag.
  void Selected(bool select, bool trigger) override;

  IListOwner* GetOwner() const { return owner_; }
  void SetOwner(IListOwner* owner) { owner_ = owner; }
  int GetIndex() const { return list_index_; }
  void SetIndex(int index) { list_index_ = index; }
  // Sets or clears the flag without events, for the list's own bookkeeping.
  void SetSelectedFlag(bool selected) { selected_ = selected; }

 private:
  int list_index_ = -1;
  IListOwner* owner_ = nullptr;
};

}  // namespace ui

#endif  // UI_CONTROLS_LIST_CONTAINER_ELEMENT_H_
