#pragma once
// A framework window built from any layout of the skin, standing in for the
// main window: the browser controls of the main layout become plain
// controls.

#include <string>
#include <utility>

#include "platform/window/window_api.h"
#include "ui/control.h"
#include "ui/window_impl_base.h"

namespace windows_test {

class TestWindow : public ui::WindowImplBase {
 public:
  TestWindow(std::u16string folder, std::u16string file)
      : folder_(std::move(folder)), file_(std::move(file)) {}
  std::u16string GetWindowClassName() const override { return u"TestWindow"; }
  std::u16string GetSkinFolder() override { return folder_; }
  std::u16string GetSkinFile() override { return file_; }
  ui::Control* CreateControl(const std::u16string& tag) override {
    return tag == u"CefControl" ? new ui::Control : nullptr;
  }

  // UI thread: the window, created and shown; null when it could not be made.
  static TestWindow* Open(std::u16string folder, std::u16string file) {
    auto* window = new TestWindow(std::move(folder), std::move(file));
    if (window->Create(nullptr, u"Launcher", 0, 0, true, ui::UiRect{100, 50, 1440, 800}) == nullptr) {
      delete window;
      return nullptr;
    }
    platform::ShowWindow(window->GetHWND(), platform::SW_SHOWNOACTIVATE);
    return window;
  }

 private:
  std::u16string folder_;
  std::u16string file_;
};

}  // namespace windows_test
