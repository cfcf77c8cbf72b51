#include "project/Launcher/windows/owned_dialog.h"

#include <memory>

#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "project/Launcher/windows/dialog_style.h"

bool OwnedDialog::CreateOwnedBy(platform::HWND owner) {
  owner_ = owner;
  // A window that fails in WM_CREATE takes this object with it; one that
  // fails before it exists does not.
  const std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
  const platform::HWND hwnd = Create(owner, GetWindowClassName(), kDialogWindowStyle, 0, true, ui::UiRect{});
  if (hwnd == nullptr) {
    if (!alive.expired()) delete this;
    return false;
  }
  if (owner_ != nullptr) platform::EnableWindow(owner_, false);
  CenterWindow();
  platform::ShowWindow(hwnd, platform::SW_SHOWNORMAL);
  platform::SetFocus(hwnd);
  return true;
}

bool OwnedDialog::BeginClose(bool fade, platform::WPARAM code) {
  if (closing_) return false;
  closing_ = true;
  EnableOwner();
  if (fade) ui::WindowImplBase::Close(code);
  return true;
}

void OwnedDialog::EnableOwner() {
  if (owner_ == nullptr || !platform::IsWindow(owner_)) return;
  platform::EnableWindow(owner_, true);
  platform::SetFocus(owner_);
}
