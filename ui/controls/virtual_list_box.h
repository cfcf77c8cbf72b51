// A list for many rows that holds only a fixed number of row controls, the
// elements, and moves and refills them while the user scrolls. A data
// provider makes the elements and fills each with the data of the row it
// shows; the layout reports the height of all rows, so the scroll range
// covers the whole list. The list is virtual while there are more rows than
// elements and a positive row height; otherwise it stacks its elements as a
// plain vertical list. UI thread only.
#ifndef UI_CONTROLS_VIRTUAL_LIST_BOX_H_
#define UI_CONTROLS_VIRTUAL_LIST_BOX_H_

#include <vector>

#include "ui/controls/list_box.h"
#include "ui/vlayout.h"

namespace ui {

// Where the rows of a virtual list come from. Not owned by the list.
class VirtualListDataProvider {
 public:
  virtual Control* CreateElement() = 0;
  virtual void FillElement(Control* element, int index) = 0;
  virtual int GetElementCount() = 0;

 protected:
  ~VirtualListDataProvider() = default;
};

class VirtualListBox : public ListBox {
 public:
  explicit VirtualListBox(Layout* layout = nullptr);

  void SetPos(UiRect rect) override;
  void HandleEvent(EventArgs& event) override;
  void RemoveAll() override;
  void SetScrollPos(UiSize position) override;

  virtual void SetDataProvider(VirtualListDataProvider* provider) { provider_ = provider; }
  virtual void SetElementHeight(int height) { element_height_ = height; }
  virtual void InitElements(int count);
  virtual void Refresh();
  // Hooks for derived lists; the virtual list itself does not move the
  // selection with Up and Down.
  virtual void OnArrowKeyDown(char16_t key) { (void)key; }
  virtual void OnArrowKeyUp(char16_t key) { (void)key; }

  // True while there are more rows than elements to show them with (and a
  // row height to place them by).
  bool IsVirtual() const;
  // The height of all rows together, what the scroll range covers.
  int ContentHeight() const;
  // Moves the elements to the rows around the view and fills them.
  void ReArrangeRows(bool forced);

 private:
  int RowCount() const;
  void PlaceElement(int element, int row, bool fill);
  void PlaceFromRow(int first_element, int first_row);

  VirtualListDataProvider* provider_ = nullptr;
  int element_height_ = 0;
  int max_elements_ = 0;
  int previous_position_ = 0;
  bool placed_once_ = false;
};

// The layout of a virtual list: the content is as high as all its rows, and
// the list places its elements itself.
class VirtualLayout : public VLayout {
 public:
  UiSize ArrangeChildren(const std::vector<Control*>& children, UiRect rect) override;
};

}  // namespace ui

#endif  // UI_CONTROLS_VIRTUAL_LIST_BOX_H_
