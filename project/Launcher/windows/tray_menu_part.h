// The tray icon's pop-up menu as a part of the main window: "Open main
// window" and "Exit" in the language current when the window is made; a
// right click on the icon opens it with its bottom edge at the pointer, and
// the chosen item reaches the main window as WM_COMMAND with the item's
// message as its id (kMsgShowLauncher, kMsgExitLauncher).
#pragma once

#include "platform/menu/popup_menu.h"
#include "platform/message/message_types.h"
#include "project/Launcher/windows/main_form_part.h"

class TrayMenuPart : public MainFormPart {
 public:
  void Attach(MainForm& form) override;
  bool OnTrayMenu(int x, int y) override;
  void Detach() override;

  const platform::PopupMenu& menu() const { return menu_; }

 private:
  platform::PopupMenu menu_;
  platform::HWND owner_ = nullptr;
};
