#pragma once
// The launcher's single-choice dialog: a question, a column of radio options
// generated into "option_vlist" and one confirm button "btn_ok". It answers
// at most once, in a task posted to the UI thread after it has started to
// close: the selected option's index after "btn_ok" or the system close
// command; nothing after Esc or "btn_close". Once it is closing, further
// closes (a close request during the fade) are ignored. The owner is
// disabled while it is open. UI thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/Launcher/windows/owned_dialog.h"

namespace ui {
struct EventArgs;
}  // namespace ui

class OptionsBox : public OwnedDialog {
 public:
  using ResultCallback = std::function<void(int32_t)>;

  OptionsBox() = default;

  // ui::WindowImplBase, in the base's order.
  std::u16string GetWindowClassName() const override { return u"OptionsBox"; }
  // Starts closing without an answer: enables and focuses the owner and
  // fades out (the window goes 300 ms later). Later calls do nothing.
  void Close(platform::WPARAM code = 0) override;
  void InitWindow() override;
  platform::LRESULT OnClose(platform::UINT message, platform::WPARAM wparam,
                            platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                 platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                              platform::LPARAM lparam, bool& handled) override;
  std::u16string GetSkinFolder() override { return u"optionsbox"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }

  // What the box shows; set before Show. Each text is a language key when
  // its flag is set, else a literal text.
  void SetContent(const std::u16string& text, bool isKey);
  void SetGroup(const std::u16string& group) { group_ = group; }
  void SetOptions(std::vector<std::u16string> options, bool areKeys);
  void SetButtonText(const std::u16string& text, bool isKey);
  void SetSelected(int32_t index) { selected_ = index; }
  int32_t selected() const { return selected_; }

  // Creates the window owned by |owner|, stores the callback, disables the
  // owner, centres the box and shows it with the focus. False when the
  // window cannot be made: the box is then gone and |callback| never runs.
  // The object owns itself from here: it is deleted with its window.
  bool Show(platform::HWND owner, ResultCallback callback);

  // "btn_ok": closes and answers the selected index.
  void Confirm();

 private:
  bool OnClick(ui::EventArgs* event);
  bool OnOptionSelect(ui::EventArgs* event);
  void AddOptions();
  // Starts closing once; the answer is posted only when |answer| is set.
  void CloseOnce(bool answer, platform::WPARAM code);

  bool contentIsKey_ = false;
  std::u16string content_;
  std::u16string group_;
  bool optionsAreKeys_ = false;
  std::vector<std::u16string> options_;
  int32_t selected_ = 0;
  bool buttonIsKey_ = false;
  std::u16string buttonText_;
  ResultCallback callback_;
};
