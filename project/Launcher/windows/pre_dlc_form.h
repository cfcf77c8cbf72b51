#pragma once
// The pre-download confirmation: the size of the pre-download and the space
// free on the file system that holds the pre-download folder. Confirm or
// Enter answers 1; cancel, the close button, Escape or the system close 0.

#include <cstdint>

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/confirm_dialog.h"
#include "ui/controls/label.h"

class PreDlcForm : public ConfirmDialog {
 public:
  static constexpr char16_t kClassName[] = u"PreDlcForm";
  static constexpr int32_t kArabic = 13;

  // Creates the dialog owned by |owner|, disables the owner, centres and
  // shows it. Null when it could not be made (|result| then never runs).
  static PreDlcForm* Open(ui::Window* owner, LauncherStore& store, DialogResult::Callback result);

  explicit PreDlcForm(LauncherStore& store) : store_(store) {}

  std::u16string GetWindowClassName() const override { return kClassName; }
  std::u16string GetSkinFolder() override { return u"predlc"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }
  void InitWindow() override;
  void ShowSizes();

 private:
  bool OnClick(ui::EventArgs* event);
  void PutValueFirst(const char16_t* boxName);

  LauncherStore& store_;
  ui::Label* sizeValue_ = nullptr;
  ui::Label* spaceValue_ = nullptr;
};
