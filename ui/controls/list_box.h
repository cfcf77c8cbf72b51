// A scrollable list of rows with one selected row at most. Rows are
// selected by the mouse (through the row), by keys (Up, Down, Home, End) and,
// with "scrollselect", by the wheel; the list fires "select" with the new and
// the previous index and scrolls the selected row into view. The list keeps
// every row's index and owner in step as rows come and go through its own
// operations. UI thread only.
#ifndef UI_CONTROLS_LIST_BOX_H_
#define UI_CONTROLS_LIST_BOX_H_

#include <string>

#include "ui/controls/i_list_owner.h"
#include "ui/scrollable_box.h"

namespace ui {

class ListContainerElement;

class ListBox : public ScrollableBox, public IListOwner {
 public:
  // The virtual keys the lists answer, as the key character carries them.
  static constexpr char16_t kKeyEnd = 0x23;
  static constexpr char16_t kKeyHome = 0x24;
  static constexpr char16_t kKeyUp = 0x26;
  static constexpr char16_t kKeyDown = 0x28;

  explicit ListBox(Layout* layout = nullptr);

  // IListOwner.
  int GetCurSel() const override { return current_selection_; }
  bool SelectItem(int index, bool take_focus, bool trigger) override;
  void EnsureVisible(const UiRect& rect) override;
  void StopScroll() override;

  // Overrides of the scrollable box.
  void DispatchEvent(EventArgs& event) override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void HandleEvent(EventArgs& event) override;
  bool ButtonDown(EventArgs& event) override;
  bool SetItemIndex(Control* control, size_t index) override;
  bool Add(Control* control) override;
  bool Remove(Control* control) override;
  void RemoveAll() override;
  // Only visible, enabled list rows are selectable.
  int FindSelectable(int index, bool forward = true) const override;

  virtual bool ScrollItemToTop(Control* control);
  virtual bool ScrollItemToTopByName(const std::u16string& name);
  virtual Control* GetTopItem() const;

  // The box's Add goes through AddAt, so every way in keeps rows numbered.
  bool AddAt(Control* control, size_t index) override;
  bool RemoveAt(size_t index) override;

  bool IsScrollSelect() const { return scroll_select_; }
  void SetScrollSelect(bool scroll_select) { scroll_select_ = scroll_select; }
  bool IsSelectNextWhenActiveRemoved() const { return select_next_on_remove_; }
  void SetSelectNextWhenActiveRemoved(bool select_next) { select_next_on_remove_ = select_next; }

 protected:
  // A list that takes no mouse input passes mouse events up to its parent;
  // true when the event went there.
  bool ForwardMouseWhenDisabled(EventArgs& event);

 private:
  ListContainerElement* RowAt(int index) const;
  void RenumberFrom(size_t index);
  void UnselectCurrent();
  bool ScrollChildToTop(Control* child);

  bool scroll_select_ = false;
  int current_selection_ = -1;
  bool select_next_on_remove_ = true;
};

}  // namespace ui

#endif  // UI_CONTROLS_LIST_BOX_H_
