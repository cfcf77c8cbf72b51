// The pop-up window of a combo box: a borderless tool window owned by the
// combo's window that shows the combo's list while it is open. It closes
// when it loses the focus (a press outside it, a chosen row, or the combo's
// Deactivate all end in WM_KILLFOCUS), hands the list back to the combo and
// deletes itself when its window is gone. UI thread only.
#ifndef UI_CONTROLS_C_COMBO_WND_H_
#define UI_CONTROLS_C_COMBO_WND_H_

#include <string>

#include "ui/window.h"

namespace ui {

class Combo;

class CComboWnd : public Window {
 public:
  // Creates and shows the pop-up of |combo|; null when no window could be
  // made (nothing is left behind then).
  static CComboWnd* Open(Combo* combo);

  std::u16string GetWindowClassName() const override;
  void OnFinalMessage() override;
  platform::LRESULT HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                  platform::LPARAM lparam) override;

  // The combo goes away while the pop-up is open: the list is handed back
  // and the window destroyed now, which deletes this object.
  void OnComboGone();

  bool IsClosing() const { return closing_; }
  int GetInitialSelection() const { return initial_selection_; }

  // Where the pop-up of |combo| opens, in screen coordinates.
  static UiRect PopupRect(Combo* combo);

 private:
  explicit CComboWnd(Combo* combo);
  ~CComboWnd() override = default;

  void OnCreate();
  // Takes the list out of the pop-up's tree (without deleting it); safe to
  // call again.
  void DetachList();

  Combo* owner_ = nullptr;
  int initial_selection_ = -1;
  bool closing_ = false;
  bool created_ = false;
};

}  // namespace ui

#endif  // UI_CONTROLS_C_COMBO_WND_H_
