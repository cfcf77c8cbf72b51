#pragma once
// The launcher's message box: a title, a content line, a detail line and up
// to two buttons, "btn_yes" (answer 1) and "btn_no" (answer 0). Each text is
// a language key or a literal text. While it is open its owner is disabled;
// it answers exactly once, in a task posted to the UI thread after it has
// started to close: 1 for "btn_yes"; 0 for "btn_no", "btn_close", Esc, the
// system close command and any other way the window goes. Closes that
// arrive once it is closing (a close request during the fade) are ignored.
// A box that cannot be created never answers. UI thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "project/Launcher/windows/owned_dialog.h"

namespace ui {
class Control;
struct EventArgs;
}  // namespace ui

class MsgBox : public OwnedDialog {
 public:
  struct TextSlot {
    bool isTextId = false;
    std::u16string text;
  };
  using ResultCallback = std::function<void(int32_t)>;

  MsgBox() = default;

  // ui::WindowImplBase, in the base's order.
  std::u16string GetWindowClassName() const override { return u"MsgBox"; }
  // Starts closing once: enables and focuses the owner, fades out (the
  // window goes 300 ms later) and posts the answer chosen so far (0 unless
  // "btn_yes" chose 1). Later calls do nothing.
  void Close(platform::WPARAM code = 0) override;
  void InitWindow() override;
  platform::LRESULT OnClose(platform::UINT message, platform::WPARAM wparam,
                            platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnDestroy(platform::UINT message, platform::WPARAM wparam,
                              platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                 platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                              platform::LPARAM lparam, bool& handled) override;
  std::u16string GetSkinFolder() override { return u"msgbox"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }

  // The captions of "btn_no" (first) and "btn_yes" (second) as literal
  // texts, or as language keys. An empty caption hides its button.
  void SetButtonTexts(const std::u16string& first, const std::u16string& second);
  void SetButtonTextIds(const std::u16string& first, const std::u16string& second);

  // Creates the window owned by |owner|, disables the owner, centres the
  // box on it and shows it with the focus; |swapLooks| exchanges the two
  // buttons' images and text colours (not their answers). False when the
  // window cannot be made: the box is then gone and |callback| never runs.
  // The object owns itself from here: it is deleted with its window.
  bool Show(platform::HWND owner, ResultCallback callback, bool swapLooks);

  void Confirm();
  void Cancel();

  TextSlot title;
  TextSlot content;
  TextSlot detail;

 private:
  bool OnClick(ui::EventArgs* event);
  void SwapButtonLooks();
  // Starts closing with |answer|, once.
  void CloseWithAnswer(int32_t answer, platform::WPARAM code);
  void PostAnswer(int32_t answer);

  bool buttonTextsAreIds_ = false;
  std::u16string noText_;
  std::u16string yesText_;
  ui::Control* noButton_ = nullptr;
  ui::Control* yesButton_ = nullptr;
  ResultCallback callback_;
};
