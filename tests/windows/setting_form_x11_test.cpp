// The settings window on the X server (under xvfb-run), built from the
// carried skin package and clicked through XTest at its controls' screen
// rectangles: a tab scrolls its page into view, and cancel answers once and
// closes the window. It runs on a UI thread registered as thread 0, where
// the window's answer is posted.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/windows/setting_form.h"
#include "skin/embedded_resources.h"
#include "tests/core/store_fixture.h"
#include "tests/core/test_thread.h"
#include "tests/support/pump_until.h"
#include "tests/support/x11_mapped.h"
#include "ui/controls/list_box.h"
#include "ui/language_table.h"
#include "ui/timer_manager.h"

namespace {

using testing_support::IsMappedOnScreen;
using testing_support::PumpUntil;

class SettingFormX11Test : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    ASSERT_TRUE(ui_.Start());
    const auto embedded = skin::EmbeddedSkinPackage();
    SetEmbeddedSkinPackage(embedded.data(), embedded.size());
    Ui([this] {
      backend_ = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
      ASSERT_NE(backend_, nullptr);
      platform::InstallWindowBackend(backend_.get());
      input_ = platform::x11::OpenDisplay();
      ASSERT_NE(input_, nullptr);
      StartFrameworkUi("en");
      StoreHooks hooks;
      BindFrameworkHooks(&hooks);
      folder_.store.SetHooks(hooks);
      folder_.store.Init();
    });
  }
  void TearDown() override {
    if (!ui_.IsRunning()) return;
    Ui([this] {
      if (form_hwnd_ != nullptr && platform::IsWindow(form_hwnd_)) platform::DestroyWindow(form_hwnd_);
      PumpUntil([] { return true; });
      ui::TimerManager::GetInstance()->Shutdown();
      ShutdownFrameworkUi();
      ui::LanguageTable::GetInstance().Clear();
      if (input_ != nullptr) XCloseDisplay(input_);
      platform::InstallWindowBackend(nullptr);
      backend_.reset();
    });
    ui_.Stop();
    SetEmbeddedSkinPackage(nullptr, 0);
  }

  static void Ui(const std::function<void()>& task) { ASSERT_TRUE(RunOn(kThreadUI, task)); }

  void ClickOn(ui::Control* control) {
    const ui::UiRect pos = control->GetPos();
    platform::Point at{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    platform::ClientToScreen(form_->GetHWND(), &at);
    XTestFakeMotionEvent(input_, -1, at.x, at.y, CurrentTime);
    XTestFakeButtonEvent(input_, 1, True, CurrentTime);
    XTestFakeButtonEvent(input_, 1, False, CurrentTime);
    XFlush(input_);
  }

  ScopedStoreFolder folder_;
  RegisteredTestThread ui_{kThreadUI};
  std::unique_ptr<platform::x11::X11Backend> backend_;
  Display* input_ = nullptr;
  SettingForm* form_ = nullptr;
  platform::HWND form_hwnd_ = nullptr;
  std::vector<int32_t> results_;  // UI thread
};

TEST_F(SettingFormX11Test, ATabClickScrollsToItsPageAndCancelAnswersOnce) {
  Ui([this] {
    form_ = SettingForm::Open(nullptr, folder_.store,
                              [this](int32_t result) { results_.push_back(result); });
    ASSERT_NE(form_, nullptr);
    form_hwnd_ = form_->GetHWND();
    ASSERT_TRUE(PumpUntil([&] {
      return !form_->IsFirstLayoutPending() && IsMappedOnScreen(input_, platform::GetNativeWindow(form_hwnd_));
    }));
    ui::ListBox* pages = form_->PageList();
    ASSERT_EQ(pages->GetChildOffsets().size(), 3u);
    const int target = std::min(pages->GetChildOffsets()[2], pages->GetScrollRange().cy);
    ClickOn(form_->TabList()->GetItemAt(2));
    EXPECT_TRUE(PumpUntil([&] { return pages->GetScrollPos().cy == target; }))
        << pages->GetScrollPos().cy << " of " << target;
    EXPECT_EQ(form_->GetCurrentPage(), 2);

    ClickOn(form_->FindControlByName(u"btn_cancel"));
    EXPECT_TRUE(PumpUntil([&] { return form_->IsClosing(); }));
    // A second click while it fades out changes nothing.
    ClickOn(form_->FindControlByName(u"btn_confirm"));
    EXPECT_TRUE(PumpUntil([&] { return !platform::IsWindow(form_hwnd_); }));
  });
  Ui([this] { EXPECT_EQ(results_, std::vector<int32_t>{0}); });
}

}  // namespace
