#include "project/Launcher/windows/msg_box.h"

#include <array>
#include <utility>

#include "base/thread/thread_registry.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/controls/label.h"
#include "ui/event_args.h"
#include "ui/state_image_map.h"

namespace {

// A label's text from a slot: a language key or a literal text.
void ApplyText(ui::Label* label, const std::u16string& text, bool isTextId) {
  if (label == nullptr) return;
  if (isTextId) {
    label->SetTextId(text);
  } else {
    label->SetText(text);
  }
}

// The attributes that carry a button's look in each state, in the order
// normal, hot, pushed, disabled.
struct StateLook {
  ui::ControlState state;
  const char16_t* image;
  const char16_t* textColor;
};
constexpr std::array<StateLook, 4> kStateLooks = {{
    {ui::kControlStateNormal, u"normalimage", u"normaltextcolor"},
    {ui::kControlStateHot, u"hotimage", u"hottextcolor"},
    {ui::kControlStatePushed, u"pushedimage", u"pushedtextcolor"},
    {ui::kControlStateDisabled, u"disabledimage", u"disabledtextcolor"},
}};

}  // namespace

void MsgBox::SetButtonTexts(const std::u16string& first, const std::u16string& second) {
  buttonTextsAreIds_ = false;
  noText_ = first;
  yesText_ = second;
}

void MsgBox::SetButtonTextIds(const std::u16string& first, const std::u16string& second) {
  buttonTextsAreIds_ = true;
  noText_ = first;
  yesText_ = second;
}

bool MsgBox::Show(platform::HWND owner, ResultCallback callback, bool swapLooks) {
  callback_ = std::move(callback);
  if (!CreateOwnedBy(owner)) return false;
  if (swapLooks) SwapButtonLooks();
  return true;
}

void MsgBox::InitWindow() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick, WrapWeak([this](ui::EventArgs* event) { return OnClick(event); }));
  }
  ApplyText(dynamic_cast<ui::Label*>(FindControlByName(u"title")), title.text, title.isTextId);
  ApplyText(dynamic_cast<ui::Label*>(FindControlByName(u"content")), content.text, content.isTextId);
  ApplyText(dynamic_cast<ui::Label*>(FindControlByName(u"detail")), detail.text, detail.isTextId);

  yesButton_ = FindControlByName(u"btn_yes");
  noButton_ = FindControlByName(u"btn_no");
  if (yesButton_ == nullptr || noButton_ == nullptr) return;
  ApplyText(dynamic_cast<ui::Label*>(yesButton_), yesText_, buttonTextsAreIds_);
  ApplyText(dynamic_cast<ui::Label*>(noButton_), noText_, buttonTextsAreIds_);
  yesButton_->SetFadeVisible(!yesText_.empty());
  noButton_->SetFadeVisible(!noText_.empty());
  if (!yesText_.empty()) {
    yesButton_->SetFocus();
  } else {
    noButton_->SetFocus();
  }
}

void MsgBox::SwapButtonLooks() {
  auto* yes = dynamic_cast<ui::Label*>(yesButton_);
  auto* no = dynamic_cast<ui::Label*>(noButton_);
  if (yes == nullptr || no == nullptr) return;
  // Through the attribute setters, as the layout sets them: a hot image or
  // colour turns the hot fade on, and each change re-arranges an auto-sized
  // button or repaints it.
  for (const StateLook& look : kStateLooks) {
    const std::u16string yesImage = yes->GetStateImageMap().GetImagePath(ui::kStateImageBk, look.state);
    const std::u16string noImage = no->GetStateImageMap().GetImagePath(ui::kStateImageBk, look.state);
    yes->SetAttribute(look.image, noImage);
    no->SetAttribute(look.image, yesImage);
    const std::u16string yesColor = yes->GetStateTextColor(look.state);
    const std::u16string noColor = no->GetStateTextColor(look.state);
    yes->SetAttribute(look.textColor, noColor);
    no->SetAttribute(look.textColor, yesColor);
  }
}

bool MsgBox::OnClick(ui::EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr) return true;
  const std::u16string& name = event->pSender->GetName();
  if (name == u"btn_yes") {
    Confirm();
  } else if (name == u"btn_no" || name == u"btn_close") {
    Cancel();
  }
  return true;
}

void MsgBox::Confirm() { CloseWithAnswer(1, 0); }

void MsgBox::Cancel() { CloseWithAnswer(0, 0); }

void MsgBox::Close(platform::WPARAM code) { CloseWithAnswer(0, code); }

void MsgBox::CloseWithAnswer(int32_t answer, platform::WPARAM code) {
  // The first way of closing decides; an Esc, a click or a close request
  // arriving during the fade finds the box closing already.
  if (BeginClose(true, code)) PostAnswer(answer);
}

platform::LRESULT MsgBox::OnClose(platform::UINT message, platform::WPARAM wparam,
                                  platform::LPARAM lparam, bool& handled) {
  // A WM_CLOSE that did not come from the fade (sent from outside) closes
  // the box as a cancel; the window then goes at once.
  if (BeginClose(false, 0)) PostAnswer(0);
  return OwnedDialog::OnClose(message, wparam, lparam, handled);
}

platform::LRESULT MsgBox::OnDestroy(platform::UINT message, platform::WPARAM wparam,
                                    platform::LPARAM lparam, bool& handled) {
  // Destroyed without closing (its owner went first): still one answer, so
  // the caller is never left waiting.
  if (BeginClose(false, 0)) PostAnswer(0);
  return OwnedDialog::OnDestroy(message, wparam, lparam, handled);
}

platform::LRESULT MsgBox::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                       platform::LPARAM lparam, bool& handled) {
  if ((wparam & 0xFFF0) == platform::SC_CLOSE) {
    Cancel();
    handled = true;
    return 0;
  }
  return OwnedDialog::OnSysCommand(message, wparam, lparam, handled);
}

platform::LRESULT MsgBox::OnKeyDown(platform::UINT, platform::WPARAM wparam, platform::LPARAM,
                                    bool& handled) {
  if (wparam == platform::VK_ESCAPE) Cancel();
  // The key goes on to the focused control all the same.
  handled = false;
  return 0;
}

void MsgBox::PostAnswer(int32_t answer) {
  if (!callback_) return;
  // Not weak over the box: the answer belongs to the caller and must arrive
  // even when the box is gone by the time the task runs.
  kbase::ThreadRegistry::PostTask(kThreadUI, [callback = std::move(callback_), answer] { callback(answer); });
  callback_ = nullptr;
}
