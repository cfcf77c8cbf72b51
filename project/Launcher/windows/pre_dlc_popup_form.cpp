#include "project/Launcher/windows/pre_dlc_popup_form.h"

#include "platform/window/window_api.h"
#include "ui/dpi_manager.h"

PreDlcPopupForm* PreDlcPopupForm::ShowAtPanel(ui::Window* owner, const ui::UiRect& panel,
                                              const std::u16string& sizeText,
                                              const std::u16string& timeText,
                                              const std::u16string& speedText) {
  if (owner == nullptr || owner->GetHWND() == nullptr) return nullptr;
  auto* popup = new PreDlcPopupForm();
  if (popup->Create(owner->GetHWND(), kClassName, platform::WS_POPUP, 0, true, ui::UiRect{}) == nullptr) {
    delete popup;
    return nullptr;
  }
  const ui::UiRect inset = popup->GetShadowCorner();
  platform::Rect own;
  platform::GetWindowRect(popup->GetHWND(), &own);
  const int width = own.right - own.left - inset.left - inset.right;
  const int height = own.bottom - own.top - inset.top - inset.bottom;
  const ui::UiRect ownerInset = owner->GetShadowCorner();
  platform::Rect main;
  platform::GetWindowRect(owner->GetHWND(), &main);
  const int margin = ui::DpiManager::GetInstance()->ScaleInt(kMargin);
  const ui::UiPoint at = Placement(main.top + ownerInset.top, main.right - ownerInset.right,
                                   panel.top, width, height, margin);
  platform::MoveWindow(popup->GetHWND(), at.x, at.y, width, height, false);
  platform::ShowWindow(popup->GetHWND(), platform::SW_SHOW);
  platform::SetFocus(popup->GetHWND());
  popup->SetSizeText(sizeText);
  popup->SetTexts(timeText, speedText);
  return popup;
}

ui::UiPoint PreDlcPopupForm::Placement(int ownerTop, int ownerRight, int panelTop, int width,
                                       int height, int margin) {
  int x = ownerRight - width - margin;
  int y = ownerTop + panelTop - margin - height;
  return ui::UiPoint{x < 0 ? 0 : x, y < 0 ? 0 : y};
}

void PreDlcPopupForm::InitWindow() {
  size_ = dynamic_cast<ui::Label*>(FindControlByName(u"text_dlc_size"));
  time_ = dynamic_cast<ui::Label*>(FindControlByName(u"text_dlc_time"));
  speed_ = dynamic_cast<ui::Label*>(FindControlByName(u"text_dlc_speed"));
  SetSizeText(u"(0.00GB/0.00GB)");
  SetTexts(u"00:00:00", u"0.00MB/S");
}

void PreDlcPopupForm::Close(platform::WPARAM code) {
  if (GetHWND() != nullptr) {
    const platform::HWND owner = platform::GetWindow(GetHWND(), platform::GW_OWNER);
    if (owner != nullptr) platform::SetFocus(owner);
  }
  ui::WindowImplBase::Close(code);
}

void PreDlcPopupForm::SetSizeText(const std::u16string& text) {
  if (size_ != nullptr) size_->SetText(text);
}

void PreDlcPopupForm::SetTexts(const std::u16string& timeText, const std::u16string& speedText) {
  if (time_ != nullptr) time_->SetText(timeText);
  if (speed_ != nullptr) speed_->SetText(speedText);
}
