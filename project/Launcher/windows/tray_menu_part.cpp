#include "project/Launcher/windows/tray_menu_part.h"

#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/windows/main_form.h"
#include "ui/language_table.h"

void TrayMenuPart::Attach(MainForm& form) {
  owner_ = form.GetHWND();
  const ui::LanguageTable& texts = ui::LanguageTable::GetInstance();
  menu_.AppendItem(kMsgShowLauncher, texts.GetText(u"STRING_NOTIFYTRAY_OPEN"));
  menu_.AppendItem(kMsgExitLauncher, texts.GetText(u"STRING_NOTIFYTRAY_EXIT"));
}

bool TrayMenuPart::OnTrayMenu(int x, int y) {
  return menu_.Track(platform::TPM_BOTTOMALIGN, platform::Point{x, y}, owner_);
}

void TrayMenuPart::Detach() { menu_.Close(); }
