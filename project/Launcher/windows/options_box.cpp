#include "project/Launcher/windows/options_box.h"

#include <charconv>
#include <string>
#include <utility>

#include "base/thread/thread_registry.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/event_args.h"

namespace {

template <typename LabelType>
void ApplyText(LabelType* label, const std::u16string& text, bool isKey) {
  if (label == nullptr) return;
  if (isKey) {
    label->SetTextId(text);
  } else {
    label->SetText(text);
  }
}

}  // namespace

void OptionsBox::SetContent(const std::u16string& text, bool isKey) {
  content_ = text;
  contentIsKey_ = isKey;
}

void OptionsBox::SetOptions(std::vector<std::u16string> options, bool areKeys) {
  options_ = std::move(options);
  optionsAreKeys_ = areKeys;
}

void OptionsBox::SetButtonText(const std::u16string& text, bool isKey) {
  buttonText_ = text;
  buttonIsKey_ = isKey;
}

bool OptionsBox::Show(platform::HWND owner, ResultCallback callback) {
  callback_ = std::move(callback);
  return CreateOwnedBy(owner);
}

void OptionsBox::InitWindow() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick, WrapWeak([this](ui::EventArgs* event) { return OnClick(event); }));
  }
  ApplyText(dynamic_cast<ui::Label*>(FindControlByName(u"content")), content_, contentIsKey_);
  AddOptions();
  if (auto* button = dynamic_cast<ui::Button*>(FindControlByName(u"btn_ok"))) {
    ApplyText(button, buttonText_, buttonIsKey_);
    button->SetFocus();
  }
}

void OptionsBox::AddOptions() {
  auto* list = dynamic_cast<ui::Box*>(FindControlByName(u"option_vlist"));
  if (list == nullptr) return;
  for (size_t i = 0; i < options_.size(); ++i) {
    auto* option = new ui::Option;
    option->SetClass(u"btn_radio");
    option->SetGroup(group_);
    ApplyText(option, options_[i], optionsAreKeys_);
    if (!list->AddAt(option, i)) {
      delete option;
      continue;
    }
    option->Selected(static_cast<int32_t>(i) == selected_, false);
    // The answer is the option's position, so options with the same text
    // stay apart.
    option->SetUtf8DataId(std::to_string(i));
    option->AttachEvent(ui::kEventSelect,
                        WrapWeak([this](ui::EventArgs* event) { return OnOptionSelect(event); }));
  }
}

bool OptionsBox::OnOptionSelect(ui::EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr) return true;
  const std::string id = event->pSender->GetUtf8DataId();
  int32_t index = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), index);
  if (error == std::errc() && end == id.data() + id.size()) selected_ = index;
  return true;
}

bool OptionsBox::OnClick(ui::EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr) return true;
  const std::u16string& name = event->pSender->GetName();
  if (name == u"btn_ok") {
    Confirm();
  } else if (name == u"btn_close") {
    CloseOnce(false, 0);
  }
  return true;
}

void OptionsBox::Confirm() { CloseOnce(true, 0); }

void OptionsBox::Close(platform::WPARAM code) { CloseOnce(false, code); }

void OptionsBox::CloseOnce(bool answer, platform::WPARAM code) {
  // The first way of closing decides: after Esc, a close request arriving
  // during the fade neither answers nor closes again.
  if (!BeginClose(true, code)) return;
  if (answer && callback_) {
    // Not weak over the box: the answer must arrive even when the box is
    // gone by the time the task runs.
    kbase::ThreadRegistry::PostTask(kThreadUI, [callback = std::move(callback_), index = selected_] {
      callback(index);
    });
  }
  callback_ = nullptr;
}

platform::LRESULT OptionsBox::OnClose(platform::UINT message, platform::WPARAM wparam,
                                      platform::LPARAM lparam, bool& handled) {
  // A WM_CLOSE from outside the fade dismisses the box without an answer.
  if (BeginClose(false, 0)) callback_ = nullptr;
  return OwnedDialog::OnClose(message, wparam, lparam, handled);
}

platform::LRESULT OptionsBox::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                           platform::LPARAM lparam, bool& handled) {
  // The window's close button keeps the current choice rather than
  // cancelling it.
  if ((wparam & 0xFFF0) == platform::SC_CLOSE) {
    Confirm();
    handled = true;
    return 0;
  }
  return OwnedDialog::OnSysCommand(message, wparam, lparam, handled);
}

platform::LRESULT OptionsBox::OnKeyDown(platform::UINT, platform::WPARAM wparam, platform::LPARAM,
                                        bool& handled) {
  if (wparam == platform::VK_ESCAPE) {
    CloseOnce(false, 0);
    handled = true;
    return 0;
  }
  handled = false;
  return 0;
}
