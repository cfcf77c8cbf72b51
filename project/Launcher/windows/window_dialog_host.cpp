#include "project/Launcher/windows/window_dialog_host.h"

#include <string>
#include <utility>
#include <vector>

#include "base/util/string_util.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "project/Launcher/windows/msg_box.h"
#include "project/Launcher/windows/options_box.h"

namespace {

platform::HWND OwnerWindow(WindowHandle owner) {
  const auto hwnd = reinterpret_cast<platform::HWND>(owner);
  if (hwnd == nullptr || !platform::IsWindow(hwnd) || platform::IsForeignWindow(hwnd)) return nullptr;
  return hwnd;
}

MsgBox::TextSlot Slot(const BoxText& text) { return MsgBox::TextSlot{text.isKey, text.text}; }

}  // namespace

bool WindowDialogHost::OpenMessageBox(WindowHandle owner, const MessageBoxContent& content,
                                      AnswerCallback answer) {
  const platform::HWND ownerWindow = OwnerWindow(owner);
  if (ownerWindow == nullptr) return false;
  auto* box = new MsgBox;
  box->title = Slot(content.title);
  box->content = Slot(content.content);
  box->detail = Slot(content.detail);
  if (content.firstButton.isKey || content.secondButton.isKey) {
    box->SetButtonTextIds(content.firstButton.text, content.secondButton.text);
  } else {
    box->SetButtonTexts(content.firstButton.text, content.secondButton.text);
  }
  // Show deletes the box when its window cannot be made.
  return box->Show(ownerWindow, std::move(answer), content.swapButtons);
}

bool WindowDialogHost::OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content,
                                      AnswerCallback answer) {
  const platform::HWND ownerWindow = OwnerWindow(owner);
  if (ownerWindow == nullptr) return false;
  auto* box = new OptionsBox;
  box->SetContent(kbase::UTF8ToUTF16(content.contentKey), true);
  box->SetGroup(content.groupName);
  std::vector<std::u16string> options;
  options.reserve(content.optionKeys.size());
  for (const std::string& key : content.optionKeys) options.push_back(kbase::UTF8ToUTF16(key));
  box->SetOptions(std::move(options), true);
  box->SetButtonText(kbase::UTF8ToUTF16(content.buttonKey), true);
  box->SetSelected(content.selectedIndex);
  return box->Show(ownerWindow, std::move(answer));
}
