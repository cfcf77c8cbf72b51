#pragma once
// The base of the launcher's small confirm-or-cancel dialogs (install path,
// pre-download): owned by a window that stays disabled while the dialog is
// open, Enter confirms (1), Escape and the system close cancel (0), and the
// dialog closes first and answers exactly once afterwards, on the UI thread.

#include <cstdint>

#include "project/Launcher/windows/dialog_result.h"
#include "ui/window_impl_base.h"

class ConfirmDialog : public ui::WindowImplBase {
 public:
  // Caption, system menu, sizing frame, minimise box.
  static constexpr uint32_t kDialogStyle = 0xCE0000;

  // Enables the owner again and gives it the focus, then fades out.
  void Close(platform::WPARAM code = 0) override;
  platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                 platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                              platform::LPARAM lparam, bool& handled) override;

  void Confirm();
  void Cancel();

 protected:
  // Creates |dialog| owned by |owner| under |className|, disables the owner,
  // centres and shows the dialog. False (the dialog deleted, |result| never
  // run) when the window could not be made.
  static bool OpenOwned(ConfirmDialog* dialog, ui::Window* owner, const std::u16string& className,
                        DialogResult::Callback result);

 private:
  DialogResult result_;
};
