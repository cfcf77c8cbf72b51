#include "project/Launcher/windows/pre_dlc_form.h"

#include <utility>

#include "platform/disk/disk_space.h"
#include "platform/window/window_api.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/windows/panel_texts.h"
#include "ui/box.h"
#include "ui/event_args.h"

namespace {

constexpr uint32_t kDialogStyle = 0xCE0000;

}  // namespace

PreDlcForm* PreDlcForm::Open(ui::Window* owner, LauncherStore& store, DialogResult::Callback result) {
  auto* form = new PreDlcForm(store);
  form->result_.SetCallback(std::move(result));
  const platform::HWND ownerHwnd = owner != nullptr ? owner->GetHWND() : nullptr;
  if (form->Create(ownerHwnd, kClassName, kDialogStyle, 0, true, ui::UiRect{}) == nullptr) {
    delete form;
    return nullptr;
  }
  if (ownerHwnd != nullptr) platform::EnableWindow(ownerHwnd, false);
  form->CenterWindow();
  platform::ShowWindow(form->GetHWND(), platform::SW_SHOW);
  platform::SetFocus(form->GetHWND());
  return form;
}

void PreDlcForm::InitWindow() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick,
                             kbase::WeakCallback<ui::EventCallback>(
                                 GetWeakFlag(), [this](ui::EventArgs* e) { return OnClick(e); }));
  }
  sizeValue_ = dynamic_cast<ui::Label*>(FindControlByName(u"text_size_value"));
  spaceValue_ = dynamic_cast<ui::Label*>(FindControlByName(u"text_space_value"));
  if (sizeValue_ != nullptr) sizeValue_->SetText(u"");
  if (spaceValue_ != nullptr) spaceValue_->SetText(u"");
  if (store_.SettingsCopy().languageType == kArabic) {
    PutValueFirst(u"size_box");
    PutValueFirst(u"space_box");
  }
  ShowSizes();
}

void PreDlcForm::PutValueFirst(const char16_t* boxName) {
  auto* box = dynamic_cast<ui::Box*>(FindControlByName(boxName));
  if (box == nullptr || box->GetCount() < 2) return;
  box->SetAttribute(u"halign", u"right");
  box->SwapChild(box->GetItemAt(0), box->GetItemAt(1));
}

void PreDlcForm::ShowSizes() {
  if (sizeValue_ != nullptr) sizeValue_->SetText(panel_texts::SizeText(store_.preDownloadSize));
  if (spaceValue_ != nullptr) {
    // The file system that holds the pre-download folder, wherever it is
    // mounted; an unreadable one leaves the value empty.
    platform::DiskSpace space;
    if (platform::QueryDiskSpace(PreDownloadFolder(), &space))
      spaceValue_->SetText(panel_texts::SizeText(space.available));
  }
}

bool PreDlcForm::OnClick(ui::EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr) return true;
  const std::u16string& name = event->pSender->GetName();
  if (name == u"btn_confirm")
    Confirm();
  else if (name == u"btn_cancel" || name == u"btn_close")
    Cancel();
  return true;
}

void PreDlcForm::Close(platform::WPARAM code) {
  const platform::HWND owner = platform::GetWindow(GetHWND(), platform::GW_OWNER);
  if (owner != nullptr) {
    platform::EnableWindow(owner, true);
    platform::SetFocus(owner);
  }
  ui::WindowImplBase::Close(code);
}

platform::LRESULT PreDlcForm::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                           platform::LPARAM lparam, bool& handled) {
  if ((wparam & 0xFFF0) == platform::SC_CLOSE) {
    Cancel();
    return 0;
  }
  return ui::WindowImplBase::OnSysCommand(message, wparam, lparam, handled);
}

platform::LRESULT PreDlcForm::OnKeyDown(platform::UINT, platform::WPARAM wparam, platform::LPARAM,
                                        bool& handled) {
  if (wparam == platform::VK_ESCAPE)
    Cancel();
  else if (wparam == platform::VK_RETURN)
    Confirm();
  handled = false;
  return 0;
}

void PreDlcForm::Confirm() {
  if (result_.answered()) return;
  Close(0);
  result_.Answer(1);
}

void PreDlcForm::Cancel() {
  if (result_.answered()) return;
  Close(0);
  result_.Answer(0);
}
