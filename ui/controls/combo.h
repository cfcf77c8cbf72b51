// A drop-down selector: a box that paints the text of its selected row and,
// when activated, opens its list of rows in a pop-up window below itself (or
// above, where the monitor that holds it has no room below, or when asked
// to). Choosing a row closes the pop-up, stores the index and fires "select"
// (wParam the index, lParam -1); a press outside the pop-up closes it without
// an event. The rows are list rows owned by the combo's list. UI thread only.
#ifndef UI_CONTROLS_COMBO_H_
#define UI_CONTROLS_COMBO_H_

#include <memory>
#include <string>

#include "ui/box.h"
#include "ui/controls/list_box.h"

namespace ui {

class CComboWnd;

class Combo : public Box {
 public:
  Combo();
  // An open pop-up is closed at once, so it never reaches a combo that is gone.
  ~Combo() override;

  void Activate() override;
  void Deactivate() override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintText(IRenderContext* render) override;
  int GetCount() const override;
  bool Add(Control* control) override;
  bool Remove(Control* control) override;
  bool RemoveAt(size_t index) override;
  void RemoveAll() override;

  // Selects a row without any event; false for an index outside the list or
  // equal to the current one.
  bool SelectItem(int index);
  int GetCurSel() const { return current_selection_; }

  // The list of rows: its own "select" runs after the combo has stored the
  // new index.
  ListBox* GetListBox() const { return list_.get(); }
  CComboWnd* GetPopup() const { return popup_; }
  UiSize GetDropBoxSize() const { return drop_box_size_; }
  const std::u16string& GetDropBoxAttributeList() const { return drop_box_attributes_; }
  bool IsPopupTop() const { return popup_top_; }

 private:
  friend class CComboWnd;

  // The handler of the list's "select".
  bool OnSelectItem(EventArgs* event);

  CComboWnd* popup_ = nullptr;
  std::unique_ptr<ListBox> list_;
  int current_selection_ = -1;
  UiSize drop_box_size_{0, 150};
  std::u16string drop_box_attributes_;
  bool popup_top_ = false;
};

}  // namespace ui

#endif  // UI_CONTROLS_COMBO_H_
