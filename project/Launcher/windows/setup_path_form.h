#pragma once
// The install-path dialog: the folder the game will be installed into, the
// space an install needs (4 GiB) and the space free on the file system that
// holds the folder (red below 4 GiB). "btn_change" opens the folder picker;
// a picked parent folder gets the game folder's name appended and becomes
// the store's game path at once. "btn_ok" or Enter answers 1; the close
// button, Escape or the system close answer 0.

#include <cstdint>
#include <functional>
#include <string>

#include "project/Launcher/windows/dialog_result.h"
#include "ui/controls/label.h"
#include "ui/window_impl_base.h"

class SetupPathForm : public ui::WindowImplBase {
 public:
  static constexpr char16_t kClassName[] = u"SetupPathForm";
  static constexpr char16_t kGameFolderName[] = u"Valdrenth Game";
  // Free space below this shows in the warning colour.
  static constexpr uint64_t kWarningBelow = uint64_t{1} << 32;

  // Creates the dialog owned by |owner|, disables the owner, centres the
  // dialog on it and shows it. Null when the window could not be made (the
  // owner is then left enabled and |result| never runs).
  static SetupPathForm* Open(ui::Window* owner, DialogResult::Callback result);

  // The folder an install into |parent| goes to: |parent|, a "/" unless it
  // already ends in one, and the game folder's name.
  static std::u16string ComposeGameFolder(const std::u16string& parent);

  std::u16string GetWindowClassName() const override { return kClassName; }
  std::u16string GetSkinFolder() override { return u"setup"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }
  void InitWindow() override;
  // Enables the owner again and gives it the focus, then fades out.
  void Close(platform::WPARAM code = 0) override;
  platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                 platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                              platform::LPARAM lparam, bool& handled) override;

  // Shows |folder| with its free space. With |picked| on, |folder| is a
  // parent the user chose: the game folder inside it is shown and stored as
  // the game path (settings saved, version reloaded, main window refreshed).
  // False, changing nothing, when the free space cannot be read (a notice
  // says so).
  bool SetPath(const std::u16string& folder, bool picked);
  // Opens the folder picker owned by this dialog.
  void ChooseFolder();

  void Confirm();
  void Cancel();

 private:
  bool OnClick(ui::EventArgs* event);
  void ShowSpace(uint64_t freeBytes);

  ui::Label* pathLabel_ = nullptr;
  ui::Label* needLabel_ = nullptr;
  ui::Label* freeLabel_ = nullptr;
  DialogResult result_;
};
