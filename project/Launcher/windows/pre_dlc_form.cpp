#include "project/Launcher/windows/pre_dlc_form.h"

#include <utility>

#include "platform/disk/disk_space.h"
#include "platform/window/window_api.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/windows/panel_texts.h"
#include "ui/box.h"
#include "ui/event_args.h"

PreDlcForm* PreDlcForm::Open(ui::Window* owner, LauncherStore& store, DialogResult::Callback result) {
  auto* form = new PreDlcForm(store);
  return OpenOwned(form, owner, kClassName, std::move(result)) ? form : nullptr;
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
