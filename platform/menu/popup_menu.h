// A pop-up menu of text items in place of CreatePopupMenu, AppendMenu and
// TrackPopupMenuEx: a pop-up window of the installed back-end (override-
// redirect under X11) shown at a screen point. Choosing an item (left
// button released over it, or Return on the highlighted one) closes the
// menu and posts WM_COMMAND to the owner, wParam the item's id in the low
// word. A press outside the menu (the pop-up loses the focus), Escape or
// Close closes it without a command. The menu does not take the keyboard
// focus when it opens, so its keys (Up, Down, Return, Escape) work once it
// is given the focus. Unlike Windows' TrackPopupMenuEx, Track
// does not wait: the choice arrives later as the posted message. UI thread
// only (the thread the back-end was installed on).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/menu/menu_picture.h"
#include "platform/message/message_types.h"
#include "platform/window/geometry.h"

namespace platform {

// Which corner of the menu Track puts at the point.
constexpr uint32_t TPM_LEFTALIGN = 0x0000;
constexpr uint32_t TPM_RIGHTALIGN = 0x0008;
constexpr uint32_t TPM_TOPALIGN = 0x0000;
constexpr uint32_t TPM_BOTTOMALIGN = 0x0020;

class PopupMenu {
 public:
  PopupMenu() = default;
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // Adds an item at the end; false for id 0 or an id already present (the
  // item is then not added).
  bool AppendItem(uint16_t id, const std::u16string& text);
  size_t item_count() const { return items_.size(); }

  // Shows the menu with the corner `flags` names at the screen point, moved
  // inside the work area of the monitor there. False, showing nothing, for
  // a menu without items, no owner or when the window cannot be made.
  bool Track(uint32_t flags, Point at, HWND owner);
  void Close();
  bool IsShown() const;

  HWND hwnd() const { return hwnd_; }
  // An item's row in screen coordinates (empty while the menu is hidden).
  Rect ItemScreenRect(int index) const;
  // The highlighted item, -1 for none.
  int hot_item() const { return hot_; }

 private:
  struct Item {
    uint16_t id = 0;
    std::u16string text;
  };

  static LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool EnsureWindow();
  void SetHot(int index);
  void Present();
  void Choose(int index);
  void MoveHot(int step);

  std::vector<Item> items_;
  MenuPicture picture_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  int hot_ = -1;
};

}  // namespace platform
