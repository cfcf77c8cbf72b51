// The main window with the tray menu and the pages (carousel, news) plugged
// in, on the in-memory back-end: a right click on the tray icon opens the
// menu whose items reach the window; the carousel and the news come from
// the store's lists and are rebuilt when the pages are refreshed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/tray/memory_tray_icon.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/windows/main_form.h"
#include "project/Launcher/windows/main_pages_part.h"
#include "project/Launcher/windows/tray_menu_part.h"
#include "skin/embedded_resources.h"
#include "tests/core/store_fixture.h"
#include "tests/windows/main_skin_window.h"
#include "ui/controls/list_box.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/tab_box.h"

namespace {

class MainFormPartsTest : public windows_test::MainSkinWindowTest {
 protected:
  void SetUp() override {
    backend_.SetMonitors({platform::MonitorInfo{platform::Rect{0, 0, 1920, 1080}, platform::Rect{0, 0, 1920, 1040},
                                                true}});
    MainSkinWindowTest::SetUp();
  }

  LauncherStore& store() { return store_folder_.store; }

  MainForm* Open() {
    MainForm::Environment environment;
    environment.makeTrayIcon = [this]() -> std::unique_ptr<platform::TrayIcon> {
      auto tray = std::make_unique<platform::MemoryTrayIcon>(true);
      tray_ = tray.get();
      return tray;
    };
    environment.iconPixels.assign(16 * 16, 0xFF2060A0u);
    environment.iconWidth = environment.iconHeight = 16;
    environment.record = [this](const std::string& line) { journal_.push_back(line); };
    auto* form = new MainForm(store(), std::move(environment));
    auto menu = std::make_unique<TrayMenuPart>();
    menu_ = menu.get();
    form->AddPart(std::move(menu));
    auto pages = std::make_unique<MainPagesPart>();
    pages_ = pages.get();
    form->AddPart(std::move(pages));
    if (!form->CreateAndShow()) return nullptr;
    hwnd_ = form->GetHWND();
    Drain();
    return form;
  }
  // The tray is right-clicked with the pointer at `at`.
  void RightClickTray(platform::Point at) {
    backend_.InjectMouseMoveAt(at);
    Drain();
    ASSERT_TRUE(tray_->Click(platform::WM_RBUTTONDOWN));
    Drain();
  }
  void ClickAt(platform::Point at) {
    backend_.InjectMouseMoveAt(at);
    backend_.InjectButtonAt(at, 1, true);
    backend_.InjectButtonAt(at, 1, false);
    Drain();
  }
  static platform::Point Centre(const platform::Rect& r) {
    return platform::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  ScopedStoreFolder store_folder_;
  platform::MemoryTrayIcon* tray_ = nullptr;
  TrayMenuPart* menu_ = nullptr;
  MainPagesPart* pages_ = nullptr;
  std::vector<std::string> journal_;
};

TEST_F(MainFormPartsTest, TrayRightClickOpensTheMenuAtThePointerAndOpenShowsTheWindow) {
  MainForm* form = Open();
  ASSERT_NE(form, nullptr);
  platform::ShowWindow(hwnd_, platform::SW_HIDE);
  Drain();
  RightClickTray(platform::Point{1800, 1070});
  ASSERT_TRUE(menu_->menu().IsShown());
  EXPECT_EQ(menu_->menu().item_count(), 2u);
  platform::Rect menu_rect;
  platform::GetWindowRect(menu_->menu().hwnd(), &menu_rect);
  EXPECT_EQ(menu_rect.bottom, 1040) << "bottom-aligned at the pointer, kept above the panel";

  ClickAt(Centre(menu_->menu().ItemScreenRect(0)));  // "Open main window"
  EXPECT_FALSE(menu_->menu().IsShown());
  EXPECT_TRUE(platform::IsWindowVisible(hwnd_));
}

TEST_F(MainFormPartsTest, ExitFromTheTrayMenuReachesTheWindowAsTheExitMessage) {
  ASSERT_NE(Open(), nullptr);
  RightClickTray(platform::Point{600, 600});
  ASSERT_TRUE(menu_->menu().IsShown());
  journal_.clear();
  ClickAt(Centre(menu_->menu().ItemScreenRect(1)));  // "Exit"
  EXPECT_FALSE(menu_->menu().IsShown());
  // WM_COMMAND 2028 became kMsgExitLauncher, which starts the exit.
  ASSERT_FALSE(journal_.empty());
  EXPECT_EQ(journal_.front(), "message " + std::to_string(kMsgExitLauncher) + " 0 0");
}

TEST_F(MainFormPartsTest, CarouselAndNewsComeFromTheStoreAndFollowARefresh) {
  store().posters = {PosterEntry{"a.png", "Forum"}, PosterEntry{"b.png", "FAQ"}};
  store().newsCategories = {NewsCategory{"Events", {NewsEntry{"One", "12/01", "", "Forum"}}}};
  MainForm* form = Open();
  ASSERT_NE(form, nullptr);
  auto* pages = dynamic_cast<ui::ListBox*>(form->FindControl(u"scroll_pages"));
  auto* tabs = dynamic_cast<ui::TabBox*>(form->FindControl(u"tab_pages"));
  ASSERT_NE(pages, nullptr);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(pages->GetCount(), 2);
  EXPECT_EQ(pages_->carousel().current_page(), 0);
  EXPECT_EQ(tabs->GetCount(), 1);

  store().posters.push_back(PosterEntry{"c.png", "Service"});
  store().newsCategories.push_back(NewsCategory{"Notices", {}});
  platform::SendMessage(hwnd_, kMsgRefreshPages, 0, 0);
  EXPECT_EQ(pages->GetCount(), 3);
  EXPECT_EQ(tabs->GetCount(), 2);
  store().posters.clear();
  platform::SendMessage(hwnd_, kMsgConfigReloaded, 0, 0);
  EXPECT_EQ(pages->GetCount(), 0);
}

}  // namespace
