// The main button and the install and pre-download pages on a window built
// from the main layout: the button's text, state and page follow the update
// state; a click starts the flow; the download page's texts (64-bit sizes
// and speeds, never negative); pausing and resuming the button; the
// pre-download pages, their answers to the game, the confirmation dialog and
// the hover pop-up's place.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/windows/main_panels.h"
#include "project/Launcher/windows/pre_dlc_form.h"
#include "project/Launcher/windows/pre_dlc_popup_form.h"
#include "project/Launcher/windows/tab_asset_download.h"
#include "project/Launcher/windows/tab_pre_dlc_download.h"
#include "tests/windows/skin_fixture.h"
#include "tests/windows/test_window.h"
#include "ui/controls/label.h"
#include "ui/controls/progress.h"
#include "ui/registered_window_list.h"

namespace windows_test {
namespace {

using MainComponents::MainPanels;

// A current update state of a given type and flow.
class StandingState : public State {
 public:
  StandingState(int32_t type, int32_t flow) : State(flow), type_(type) {}
  int32_t TypeId() const override { return type_; }
  void Enter(State*) override {}
  void Update() override {}
  void Leave(State*) override {}

 private:
  int32_t type_;
};

class MainPanelsTest : public SkinnedUiTest {
 protected:
  void SetUp() override {
    FreeSpace(uint64_t{64} << 30);
    gameFolder_ = folder_.path() + "/games/Valdrenth Game";
    LauncherStore& store = LauncherStore::GetInstance();
    store.SetGamePath(platform::UTF8ToUTF16(gameFolder_));
    store.enterGameAfterFlow = false;
    store.preDownloadRequested = false;
    store.preDownloadSize = 0;
    SetState(-1, 0);
    ASSERT_TRUE(OnUi([this] {
      window_ = TestWindow::Open(u"main", u"skin.xml");
      if (window_ == nullptr) return false;
      LauncherStore::GetInstance().RegisterMainWindow(
          reinterpret_cast<WindowHandle>(window_->GetHWND()));
      panels_ = std::make_unique<MainPanels>(LauncherStore::GetInstance(), *window_);
      panels_->Attach();
      return true;
    }));
  }
  void TearDown() override {
    OnUi([this] {
      panels_->Detach();
      panels_.reset();
      LauncherStore::GetInstance().RegisterMainWindow(0);
      platform::DestroyWindow(window_->GetHWND());
    });
    SetState(-1, 0);
  }

  // The update state the UI reads: none for a negative type.
  static void SetState(int32_t type, int32_t flow) {
    LauncherStore& store = LauncherStore::GetInstance();
    store.stateMachine().Stop();
    if (type >= 0) store.ChangeState(std::make_unique<StandingState>(type, flow));
    store.PublishUiView();
  }

  std::u16string ButtonTextId() { return OnUi([this] { return panels_->button()->GetTextId(); }); }
  bool ButtonEnabled() { return OnUi([this] { return panels_->button()->IsEnabled(); }); }
  int AssetPage() { return OnUi([this] { return panels_->assetBox()->GetCurSel(); }); }
  int PreDlcPage() { return OnUi([this] { return panels_->preDlcBox()->GetCurSel(); }); }
  // The text of a label of the current page of |box|.
  std::u16string PageLabel(ui::TabBox* (MainPanels::*box)() const, const char16_t* name) {
    return OnUi([&] {
      auto* page = dynamic_cast<ui::Box*>(((*panels_).*box)()->GetItemAt(
          static_cast<size_t>(((*panels_).*box)()->GetCurSel())));
      auto* label = dynamic_cast<ui::Label*>(MainComponents::FindInBox(page, name));
      return label != nullptr ? label->GetText() : std::u16string(u"<missing>");
    });
  }
  std::u16string AssetLabel(const char16_t* name) { return PageLabel(&MainPanels::assetBox, name); }
  std::u16string PreDlcLabel(const char16_t* name) { return PageLabel(&MainPanels::preDlcBox, name); }
  std::pair<uint64_t, int64_t> Answer(uint32_t question) {
    return OnUi([&] { return panels_->AnswerGame(question).value_or(std::make_pair(uint64_t{99}, int64_t{99})); });
  }

  std::string gameFolder_;
  TestWindow* window_ = nullptr;
  std::unique_ptr<MainPanels> panels_;
};

TEST_F(MainPanelsTest, BuildsEightPagesAndStartsDisabled) {
  EXPECT_EQ(4, OnUi([this] { return panels_->assetBox()->GetCount(); }));
  EXPECT_EQ(4, OnUi([this] { return panels_->preDlcBox()->GetCount(); }));
  EXPECT_EQ(u"STRING_START_GAME", ButtonTextId());
  EXPECT_FALSE(ButtonEnabled());
  EXPECT_EQ(0, AssetPage());
  EXPECT_EQ(0, PreDlcPage());
}

TEST_F(MainPanelsTest, AFreshMachineOffersTheInstallAndAClickStartsIt) {
  OnUi([this] { panels_->RefreshGameButton(); });
  EXPECT_EQ(u"STRING_GET_GAME", ButtonTextId());
  EXPECT_TRUE(ButtonEnabled());
  EXPECT_EQ(1, AssetPage());
  EXPECT_EQ(platform::UTF8ToUTF16(gameFolder_), AssetLabel(u"text_set_path"));
  EXPECT_EQ(u"Change Installation Path", AssetLabel(u"text_title"));

  OnUi([this] { panels_->button()->Activate(); });
  EXPECT_TRUE(std::filesystem::is_directory(gameFolder_));
  EXPECT_TRUE(LauncherStore::GetInstance().enterGameAfterFlow);
}

TEST_F(MainPanelsTest, ABusyFlowDisablesTheButtonAndShowsCheckOrDownload) {
  struct Case {
    int32_t type;
    int32_t flow;
    int page;
  } cases[] = {{1, 0, 3}, {3, 1, 3}, {4, 1, 2}, {5, 1, 2}, {6, 0, 2}};
  for (const Case& c : cases) {
    SetState(c.type, c.flow);
    OnUi([this] { panels_->RefreshGameButton(); });
    EXPECT_FALSE(ButtonEnabled()) << c.type;
    EXPECT_EQ(c.page, AssetPage()) << c.type;
    EXPECT_EQ(u"STRING_START_GAME", ButtonTextId());
  }
  // An idle game-flow state (the end of a flow) is not busy.
  SetState(8, 1);
  OnUi([this] { panels_->RefreshGameButton(); });
  EXPECT_TRUE(ButtonEnabled());
}

TEST_F(MainPanelsTest, TheDownloadPageShowsSizesSpeedAndTime) {
  SetState(5, 1);
  OnUi([this] { panels_->RefreshGameButton(); });
  ASSERT_EQ(2, AssetPage());
  EXPECT_EQ(u"Resources loading, please wait...", AssetLabel(u"text_download_time"));

  OnUi([this] { panels_->OnDownloadProgress(2147483648u, 96636764); });
  EXPECT_EQ(u"Downloading game resources:  4.50% (92.16M/ 2.00G)", AssetLabel(u"text_download_info"));
  // More done than total: nothing changes.
  OnUi([this] { panels_->OnDownloadProgress(10, 20); });
  EXPECT_EQ(u"Downloading game resources:  4.50% (92.16M/ 2.00G)", AssetLabel(u"text_download_info"));

  struct Case {
    int64_t bytesPerSecond;
    uint64_t seconds;
    const char16_t* speed;
    const char16_t* time;
  } cases[] = {
      {1572864, 3723, u"Download speed:  1.50M/S", u"Time remaining: 01:02:03"},
      {int64_t{5} << 31, 90061, u"Download speed: 10.00G/S", u"Time remaining: 25:01:01"},  // loopback
      {-1, static_cast<uint64_t>(-7), u"Download speed:  0.00KB/S", u"Time remaining: 00:00:00"},
  };
  for (const Case& c : cases) {
    OnUi([&] { panels_->OnDownloadSpeed(c.seconds, c.bytesPerSecond); });
    EXPECT_EQ(c.speed, AssetLabel(u"text_download_speed"));
    EXPECT_EQ(c.time, AssetLabel(u"text_download_time"));
  }
}

TEST_F(MainPanelsTest, PauseSavesTheButtonTextAndAResumeWithoutOneRefreshes) {
  OnUi([this] { panels_->RefreshGameButton(); });
  ASSERT_EQ(u"STRING_GET_GAME", ButtonTextId());
  // A resume report with nothing saved: the button keeps a real text.
  OnUi([this] { panels_->OnDownloadPaused(0); });
  EXPECT_EQ(u"STRING_GET_GAME", ButtonTextId());
  EXPECT_TRUE(ButtonEnabled());

  OnUi([this] { panels_->OnDownloadPaused(1); });
  EXPECT_EQ(u"STRING_DLC_PAUSED", ButtonTextId());
  EXPECT_EQ(u"STRING_GET_GAME", OnUi([this] { return panels_->savedTextId(); }));
  OnUi([this] { panels_->OnDownloadPaused(0); });
  EXPECT_EQ(u"STRING_GET_GAME", ButtonTextId());
}

TEST_F(MainPanelsTest, ThePauseButtonSwitchesLookAndZeroesTheSpeed) {
  SetState(5, 1);
  OnUi([this] { panels_->RefreshGameButton(); });
  auto buttonClassWidth = [this] {
    return OnUi([this] {
      auto* page = panels_->assetBox()->GetItemAt(2);
      auto* button = MainComponents::FindInBox(dynamic_cast<ui::Box*>(page), u"btn_download_ctrl");
      button->SetEnabled(false);  // as after a click
      return button;
    });
  };
  ui::Control* button = buttonClassWidth();
  OnUi([this] { panels_->OnDownloadPaused(1); });
  EXPECT_EQ(u"Download speed: 0.00KB/S", AssetLabel(u"text_download_speed"));
  EXPECT_TRUE(OnUi([&] { return button->IsEnabled(); }));
}

TEST_F(MainPanelsTest, PreDownloadPagesAnswerTheGame) {
  OnUi([this] { panels_->SelectPreDlcPanel(1, 0); });
  EXPECT_EQ(1, PreDlcPage());
  EXPECT_EQ(u"Download", PreDlcLabel(u"text_info"));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 1}), Answer(kMsgGamePreDownloadAction));
  // Only the download page knows progress and speed: the window answers 0.
  EXPECT_EQ((std::pair<uint64_t, int64_t>{99, 99}), Answer(kMsgGamePreDownloadProgress));

  OnUi([this] { panels_->SelectPreDlcPanel(2, 1); });
  EXPECT_EQ(u"Downloading", PreDlcLabel(u"text_title"));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 3}), Answer(kMsgGamePreDownloadAction));
  auto* page = OnUi([this] { return dynamic_cast<MainComponents::TabPreDlcDownload*>(panels_->PreDlcPage(2)); });
  OnUi([&] {
    page->SetProgress(1000, 450);
    page->SetSpeed(-5, int64_t{3} << 31);
  });
  EXPECT_EQ(u"45%", PreDlcLabel(u"text_info"));
  EXPECT_EQ(u"( 0.44KB/ 0.98KB)", OnUi([&] { return page->sizeText(); }));
  EXPECT_EQ(u" 6.00G/S", OnUi([&] { return page->speedText(); }));
  EXPECT_EQ(u"00:00:00", OnUi([&] { return page->timeText(); }));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{1000, 450}), Answer(kMsgGamePreDownloadProgress));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, int64_t{3} << 31}), Answer(kMsgGamePreDownloadState));

  // The dots advance every tick while downloading.
  OnUi([this] { panels_->OnUiTick(); });
  EXPECT_EQ(u"Downloading.", PreDlcLabel(u"text_title"));
  OnUi([this] { panels_->OnUiTick(); });
  EXPECT_EQ(u"Downloading..", PreDlcLabel(u"text_title"));

  // An index out of range keeps the page; -1 pauses it.
  OnUi([this] { panels_->SelectPreDlcPanel(7, -1); });
  EXPECT_EQ(2, PreDlcPage());
  EXPECT_EQ(u"Paused", PreDlcLabel(u"text_title"));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 2}), Answer(kMsgGamePreDownloadAction));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 0}), Answer(kMsgGamePreDownloadState));
  EXPECT_EQ(u"--:--:--", OnUi([&] { return page->timeText(); }));

  // A blocking state shows the page paused too.
  OnUi([this] { panels_->SelectPreDlcPanel(2, 1); });
  SetState(5, 1);
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 2}), Answer(kMsgGamePreDownloadAction));
  SetState(-1, 0);

  OnUi([this] { panels_->SelectPreDlcPanel(3, 0); });
  EXPECT_EQ(u"Completed", PreDlcLabel(u"text_info"));
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 4}), Answer(kMsgGamePreDownloadAction));
  OnUi([this] { panels_->SelectPreDlcPanel(0, 0); });
  EXPECT_EQ((std::pair<uint64_t, int64_t>{0, 0}), Answer(kMsgGamePreDownloadAction));
}

TEST_F(MainPanelsTest, TheHintPopUpShowsTheDetailsAndGoesWithTheMouse) {
  OnUi([this] { panels_->SelectPreDlcPanel(2, 1); });
  auto* page = OnUi([this] { return dynamic_cast<MainComponents::TabPreDlcDownload*>(panels_->PreDlcPage(2)); });
  OnUi([&] {
    page->SetProgress(2000, 1000);
    page->SetSpeed(3723, 1572864);
    page->ShowPopup();
  });
  PreDlcPopupForm* popup = OnUi([&] { return page->popup(); });
  ASSERT_NE(nullptr, popup);
  auto label = [&](const char16_t* name) {
    return OnUi([&] { return dynamic_cast<ui::Label*>(popup->FindControlByName(name))->GetText(); });
  };
  EXPECT_EQ(u"( 0.98KB/ 1.95KB)", label(u"text_dlc_size"));
  EXPECT_EQ(u"01:02:03", label(u"text_dlc_time"));
  EXPECT_EQ(u" 1.50M/S", label(u"text_dlc_speed"));
  // It belongs to the main window and never disables it.
  EXPECT_EQ(window_->GetHWND(),
            OnUi([&] { return platform::GetWindow(popup->GetHWND(), platform::GW_OWNER); }));
  EXPECT_TRUE(OnUi([this] { return platform::IsWindowEnabled(window_->GetHWND()); }));
  OnUi([&] { page->HidePopup(); });
  EXPECT_EQ(nullptr, OnUi([&] { return page->popup(); }));
}

TEST(PreDlcPopupPlacementTest, RightAlignedAboveThePanelNeverNegative) {
  EXPECT_EQ((ui::UiPoint{1117, 54}), PreDlcPopupForm::Placement(50, 1440, 221, 318, 212, 5));
  EXPECT_EQ((ui::UiPoint{0, 0}), PreDlcPopupForm::Placement(0, 200, 100, 318, 212, 8));
}

TEST_F(MainPanelsTest, TheOfferOpensTheDialogAndItsConfirmStartsThePreDownload) {
  LauncherStore::GetInstance().preDownloadSize = 0;
  OnUi([this] { panels_->SelectPreDlcPanel(1, 0); });
  OnUi([this] {
    auto* page = dynamic_cast<ui::Box*>(panels_->PreDlcPage(1));
    MainComponents::FindInBox(page, u"btn_download_ctrl")->Activate();
  });
  PreDlcForm* form = OnUi([] {
    platform::HWND hwnd = platform::FindWindow(PreDlcForm::kClassName, u"");
    return dynamic_cast<PreDlcForm*>(ui::RegisteredWindowList::GetInstance().Find(hwnd));
  });
  ASSERT_NE(nullptr, form);
  EXPECT_FALSE(OnUi([this] { return platform::IsWindowEnabled(window_->GetHWND()); }));
  auto label = [&](const char16_t* name) {
    return OnUi([&] { return dynamic_cast<ui::Label*>(form->FindControlByName(name))->GetText(); });
  };
  EXPECT_EQ(u" 0.00KB", label(u"text_size_value"));
  EXPECT_EQ(u"64.00G", label(u"text_space_value"));
  OnUi([&] { platform::SendMessage(form->GetHWND(), platform::WM_KEYDOWN, platform::VK_RETURN, 0); });
  // The answer runs after the key's message: then the pre-download is asked for.
  OnUi([] {});
  EXPECT_TRUE(LauncherStore::GetInstance().preDownloadRequested);
  EXPECT_TRUE(OnUi([this] { return platform::IsWindowEnabled(window_->GetHWND()); }));
}

TEST_F(MainPanelsTest, TheOfferDuringABlockingStateOnlyShowsTheNotice) {
  OnUi([this] { panels_->SelectPreDlcPanel(1, 0); });
  SetState(5, 1);
  OnUi([this] {
    auto* page = dynamic_cast<ui::Box*>(panels_->PreDlcPage(1));
    MainComponents::FindInBox(page, u"btn_download_ctrl")->Activate();
  });
  EXPECT_EQ((std::vector<std::string>{"STRING_ERROR_DLC_OCCUPIED"}), Boxes());
  EXPECT_EQ(nullptr, OnUi([] { return platform::FindWindow(PreDlcForm::kClassName, u""); }));
  EXPECT_FALSE(LauncherStore::GetInstance().preDownloadRequested);
}

}  // namespace
}  // namespace windows_test
