// A window built from the shipped main layout (main/skin.xml of the carried
// skin package) on the in-memory back-end, for the parts of the main window
// that bind its controls by name. The clock is fake: tests move it and poll
// the UI timer instead of waiting.
#ifndef TESTS_WINDOWS_MAIN_SKIN_WINDOW_H_
#define TESTS_WINDOWS_MAIN_SKIN_WINDOW_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/framework/message_loop.h"
#include "platform/clock/fake_clock.h"
#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/skin_package.h"
#include "skin/embedded_resources.h"
#include "tests/support/temp_folder.h"
#include "ui/control.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/timer_manager.h"
#include "ui/window_impl_base.h"

namespace windows_test {

class MainSkinWindow : public ui::WindowImplBase {
 public:
  explicit MainSkinWindow(std::function<void(MainSkinWindow*)> init, std::function<void()> gone)
      : init_(std::move(init)), gone_(std::move(gone)) {}
  // The window deletes itself after it is destroyed: what it owned goes too.
  ~MainSkinWindow() override {
    if (gone_) gone_();
  }
  std::u16string GetWindowClassName() const override { return u"MainSkinTestWindow"; }
  std::u16string GetSkinFolder() override { return u"main"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }
  void InitWindow() override {
    if (init_) init_(this);
  }

 private:
  std::function<void(MainSkinWindow*)> init_;
  std::function<void()> gone_;
};

class MainSkinWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    platform::InstallWindowBackend(&backend_);
    const auto embedded = skin::EmbeddedSkinPackage();
    SetEmbeddedSkinPackage(embedded.data(), embedded.size());
    StartFrameworkUi("en");
  }
  void TearDown() override {
    if (hwnd_ != nullptr && platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
    Drain();
    ShutdownFrameworkUi();
    platform::InstallWindowBackend(nullptr);
    ui::GlobalManager::RemoveAllTextColors();
    ui::GlobalManager::RemoveAllClasss();
    ui::LanguageTable::GetInstance().Clear();
    SetEmbeddedSkinPackage(nullptr, 0);
    std::filesystem::current_path(previous_folder_);
  }

  // Opens the window; `init` runs once its tree is built (InitWindow), `gone`
  // when the window object is deleted after its destruction.
  bool Open(std::function<void(MainSkinWindow*)> init, std::function<void()> gone = nullptr) {
    window_ = new MainSkinWindow(std::move(init), std::move(gone));
    hwnd_ = window_->Create(nullptr, u"main", 0, 0, true, ui::UiRect{0, 0, 1340, 750});
    if (hwnd_ == nullptr) return false;
    platform::ShowWindow(hwnd_, platform::SW_SHOWNOACTIVATE);
    Drain();
    return true;
  }
  void Close() {
    platform::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    Drain();
  }

  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }
  // Moves the clock on and runs what the UI timer has due, as its tick would.
  void Advance(int64_t ms) {
    clock_.Advance(ms * 1000);
    ui::TimerManager::GetInstance()->Poll();
    Drain();
  }
  // A press and a release of the left button at the control's centre, long
  // after the last one (never a double click).
  void Click(ui::Control* control) {
    ASSERT_NE(control, nullptr);
    backend_.AdvanceTimeMs(1000);
    const ui::UiRect pos = control->GetPos(true);
    const ui::UiPoint centre{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    backend_.InjectMouseMove(Native(), centre);
    backend_.InjectButton(Native(), 1, true, centre);
    backend_.InjectButton(Native(), 1, false, centre);
    Drain();
  }
  void Hover(ui::Control* control) {
    const ui::UiRect pos = control->GetPos(true);
    backend_.InjectMouseMove(Native(), ui::UiPoint{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2});
    Drain();
  }
  platform::NativeWindow Native() const { return platform::GetNativeWindow(hwnd_); }
  ui::Control* Named(const std::u16string& name) const { return window_->FindControlByName(name); }

  platform::ScopedFakeClock clock_;
  kbase::MessageLoop loop_;  // windows delete removed rows through their loop
  TempFolder folder_;
  std::filesystem::path previous_folder_;
  platform::MemoryBackend backend_;
  MainSkinWindow* window_ = nullptr;
  platform::HWND hwnd_ = nullptr;
  std::vector<std::string> opened_;  // link keys the opener was given
};

}  // namespace windows_test

#endif  // TESTS_WINDOWS_MAIN_SKIN_WINDOW_H_
