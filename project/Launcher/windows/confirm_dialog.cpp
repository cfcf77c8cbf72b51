#include "project/Launcher/windows/confirm_dialog.h"

#include <utility>

#include "platform/window/window_api.h"

bool ConfirmDialog::OpenOwned(ConfirmDialog* dialog, ui::Window* owner,
                              const std::u16string& className, DialogResult::Callback result) {
  dialog->result_.SetCallback(std::move(result));
  const platform::HWND ownerHwnd = owner != nullptr ? owner->GetHWND() : nullptr;
  if (dialog->Create(ownerHwnd, className, kDialogStyle, 0, true, ui::UiRect{}) == nullptr) {
    delete dialog;
    return false;
  }
  if (ownerHwnd != nullptr) platform::EnableWindow(ownerHwnd, false);
  dialog->CenterWindow();
  platform::ShowWindow(dialog->GetHWND(), platform::SW_SHOW);
  platform::SetFocus(dialog->GetHWND());
  return true;
}

void ConfirmDialog::Close(platform::WPARAM code) {
  const platform::HWND owner = platform::GetWindow(GetHWND(), platform::GW_OWNER);
  if (owner != nullptr) {
    platform::EnableWindow(owner, true);
    platform::SetFocus(owner);
  }
  ui::WindowImplBase::Close(code);
}

platform::LRESULT ConfirmDialog::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                              platform::LPARAM lparam, bool& handled) {
  if ((wparam & 0xFFF0) == platform::SC_CLOSE) {
    Cancel();
    return 0;
  }
  return ui::WindowImplBase::OnSysCommand(message, wparam, lparam, handled);
}

platform::LRESULT ConfirmDialog::OnKeyDown(platform::UINT, platform::WPARAM wparam, platform::LPARAM,
                                           bool& handled) {
  if (wparam == platform::VK_ESCAPE)
    Cancel();
  else if (wparam == platform::VK_RETURN)
    Confirm();
  handled = false;
  return 0;
}

void ConfirmDialog::Confirm() {
  if (result_.answered()) return;
  Close(0);
  result_.Answer(1);
}

void ConfirmDialog::Cancel() {
  if (result_.answered()) return;
  Close(0);
  result_.Answer(0);
}
