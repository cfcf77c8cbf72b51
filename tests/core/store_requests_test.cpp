#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/scripted_dialogs.h"
#include "tests/core/fake_state.h"
#include "tests/core/test_thread.h"

namespace {

// The process's store (states report to it) with a UI thread, scripted boxes
// and a main window that records what it receives.
class StoreRequestsTest : public testing::Test {
 protected:
  void SetUp() override {
    WindowHooks hooks;
    hooks.sendMessage = [this](WindowHandle, uint32_t message, uint64_t, int64_t) {
      received_.push_back(message);
    };
    store_.SetWindowHooks(hooks);
    store_.SetDialogHost(&dialogs_);
    ASSERT_TRUE(ui_.Start());
  }
  void TearDown() override {
    RunOn(kThreadUI, [this] { store_.RegisterMainWindow(0); });
    ui_.Stop();
    store_.SetDialogHost(nullptr);
    store_.SetWindowHooks({});
  }
  void OpenMainWindow() {
    ASSERT_TRUE(RunOn(kThreadUI, [this] { store_.RegisterMainWindow(0x10); }));
  }
  // Lets the UI thread run what is queued, including answers posted by boxes.
  void Settle() {
    for (int i = 0; i < 3; ++i) RunOn(kThreadUI, [] {});
  }

  LauncherStore& store_ = LauncherStore::GetInstance();
  RegisteredTestThread ui_{kThreadUI};
  ScriptedDialogs dialogs_;           // UI thread
  std::vector<uint32_t> received_;    // UI thread
};

TEST_F(StoreRequestsTest, ABoxWithoutAWindowAnswersNotShownAndClearsTheOpenFlag) {
  std::vector<int32_t> answers;
  MessageBoxRequest request;
  request.titleKey = "STRING_NOTICE";
  request.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowMessageBox(request);
  OptionsBoxRequest options;
  options.optionKeys = {"STRING_SHUT_OPTION_TRAYICON", "STRING_SHUT_OPTION_EXIT"};
  options.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowOptionsBox(options);
  Settle();
  // Neither 0 ("no", or the first option: hide to the tray) nor any other
  // answer a box gives: the caller can tell that nobody chose.
  EXPECT_EQ(answers, (std::vector<int32_t>{kBoxNotShown, kBoxNotShown}));
  EXPECT_FALSE(store_.messageBoxOpen());
  EXPECT_TRUE(store_.messageBoxRequested);
  EXPECT_TRUE(dialogs_.opened().empty());
}

TEST_F(StoreRequestsTest, WithoutAUiThreadABoxAnswersNotShownAtOnce) {
  ui_.Stop();
  std::vector<int32_t> answers;
  MessageBoxRequest request;
  request.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowMessageBox(request);
  OptionsBoxRequest options;
  options.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowOptionsBox(options);
  EXPECT_EQ(answers, (std::vector<int32_t>{kBoxNotShown, kBoxNotShown}));
  EXPECT_FALSE(store_.messageBoxOpen());
}

TEST_F(StoreRequestsTest, OneOfTwoOpenBoxesClosingLeavesABoxOpen) {
  OpenMainWindow();
  MessageBoxRequest request;
  request.secondButtonKey = "STRING_CONFIRM";
  store_.ShowMessageBox(request);
  store_.ShowMessageBox(request);
  // An error box is not counted: answering it changes nothing.
  store_.RequestErrorBox(request);
  Settle();
  ASSERT_EQ(dialogs_.open_count(), 3u);
  EXPECT_TRUE(store_.messageBoxOpen());
  ASSERT_TRUE(RunOn(kThreadUI, [this] { dialogs_.Answer(1); }));
  Settle();
  EXPECT_TRUE(store_.messageBoxOpen());
  ASSERT_TRUE(RunOn(kThreadUI, [this] { dialogs_.Answer(0); }));
  Settle();
  EXPECT_FALSE(store_.messageBoxOpen());
  ASSERT_TRUE(RunOn(kThreadUI, [this] { dialogs_.Answer(1); }));
  Settle();
  EXPECT_FALSE(store_.messageBoxOpen());
  EXPECT_EQ(store_.openMessageBoxes.load(), 0);
}

TEST_F(StoreRequestsTest, TheScriptedAnswerClosesTheBoxAndRefreshesTheWindow) {
  OpenMainWindow();
  dialogs_.Script({1});
  // The box answers on the UI thread as soon as it opens, so the open flag is
  // read at that moment rather than from this thread afterwards.
  std::vector<bool> openWhileShown;  // UI thread
  dialogs_.SetObserver([this, &openWhileShown](const ScriptedDialogs::OpenedBox&) {
    openWhileShown.push_back(store_.messageBoxOpen());
  });
  std::vector<int32_t> answers;
  MessageBoxRequest request;
  request.contentKey = "STRING_ERROR_RETRY";
  request.firstButtonKey = "STRING_CANCEL";
  request.secondButtonKey = "STRING_RETRY";
  request.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowMessageBox(request);
  Settle();
  dialogs_.SetObserver(nullptr);
  EXPECT_EQ(openWhileShown, std::vector<bool>{true});
  EXPECT_EQ(answers, std::vector<int32_t>{1});
  EXPECT_FALSE(store_.messageBoxOpen());
  EXPECT_EQ(received_, std::vector<uint32_t>{kMsgRefreshState});
  ASSERT_EQ(dialogs_.opened().size(), 1u);
  EXPECT_EQ(dialogs_.opened()[0].owner, WindowHandle{0x10});
}

TEST_F(StoreRequestsTest, KeysWinOverTextsAndButtonsGoTogether) {
  OpenMainWindow();
  MessageBoxRequest literal;
  literal.titleText = u"Title";
  literal.contentKey = "STRING_A";
  literal.contentText = u"ignored";
  literal.firstButtonText = u"No";
  literal.secondButtonText = u"Yes";
  literal.swapButtons = true;
  store_.RequestMessageBox(literal);
  MessageBoxRequest secondKeyOnly;
  secondKeyOnly.secondButtonKey = "STRING_OK";
  secondKeyOnly.firstButtonText = u"ignored";
  store_.RequestMessageBox(secondKeyOnly);
  Settle();

  ASSERT_EQ(dialogs_.opened().size(), 2u);
  const MessageBoxContent& first = dialogs_.opened()[0].message;
  EXPECT_EQ(first.title, (BoxText{u"Title", false}));
  EXPECT_EQ(first.content, (BoxText{u"STRING_A", true}));
  EXPECT_EQ(first.detail, (BoxText{u"", false}));
  EXPECT_EQ(first.firstButton, (BoxText{u"No", false}));
  EXPECT_EQ(first.secondButton, (BoxText{u"Yes", false}));
  EXPECT_TRUE(first.swapButtons);
  const MessageBoxContent& second = dialogs_.opened()[1].message;
  EXPECT_EQ(second.firstButton, (BoxText{u"", true}));
  EXPECT_EQ(second.secondButton, (BoxText{u"STRING_OK", true}));
  // Neither was answered: both stay open until the user answers.
  EXPECT_EQ(dialogs_.open_count(), 2u);
}

TEST_F(StoreRequestsTest, OptionsBoxPreselectsTheFirstOptionAndAnswersTheIndex) {
  OpenMainWindow();
  dialogs_.Script({1});
  std::vector<int32_t> answers;
  OptionsBoxRequest request;
  request.contentKey = "STRING_SHUT_OPTION_NOTICE";
  request.groupName = u"shutdown_options";
  request.optionKeys = {"STRING_SHUT_OPTION_TRAYICON", "STRING_SHUT_OPTION_EXIT"};
  request.buttonKey = "STRING_CONFIRM";
  request.selectedIndex = 1;
  request.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowOptionsBox(request);
  Settle();
  ASSERT_EQ(dialogs_.opened().size(), 1u);
  EXPECT_TRUE(dialogs_.opened()[0].optionsBox);
  EXPECT_EQ(dialogs_.opened()[0].options.selectedIndex, 0);
  EXPECT_EQ(dialogs_.opened()[0].options.optionKeys.size(), 2u);
  EXPECT_EQ(answers, std::vector<int32_t>{1});
}

TEST_F(StoreRequestsTest, ShowErrorSetsTheFlagAndOpensTheErrorBox) {
  OpenMainWindow();
  dialogs_.Script({1, 0});
  std::vector<bool> choices;
  FakeState failed(kDownloadFilesStateId, kGameFlow, "failed", nullptr);
  failed.errorCode = -3;
  failed.errorText = "Request Failed:";
  failed.detail = "https://mirror/a.zip";
  failed.ShowError("STRING_EXIT", "STRING_RETRY", [&choices](bool second) { choices.push_back(second); });
  EXPECT_TRUE(store_.errorShown);
  failed.ShowError("STRING_EXIT", "STRING_RETRY", [&choices](bool second) { choices.push_back(second); });
  Settle();

  EXPECT_EQ(choices, (std::vector<bool>{true, false}));
  ASSERT_EQ(dialogs_.opened().size(), 2u);
  const MessageBoxContent& box = dialogs_.opened()[0].message;
  EXPECT_EQ(box.title, (BoxText{u"STRING_ERROR_NOTICE", true}));
  EXPECT_EQ(box.detail, (BoxText{u"-3\nRequest Failed:(https://mirror/a.zip)", false}));
  EXPECT_EQ(box.firstButton, (BoxText{u"STRING_EXIT", true}));
  EXPECT_EQ(box.secondButton, (BoxText{u"STRING_RETRY", true}));
}

class FlowRequestsTest : public StoreRequestsTest {
 protected:
  void SetUp() override {
    StoreRequestsTest::SetUp();
    store_.SetFirstStateFactory([this](int32_t mode) {
      ++made_;
      return std::make_unique<FakeState>(kPrepareStateId, mode, mode ? "game" : "launcher", &journal_);
    });
    ASSERT_TRUE(worker_.Start());
  }
  void TearDown() override {
    RunOn(kThreadMisc, [this] { store_.ChangeState(nullptr); });
    worker_.Stop();
    store_.SetFirstStateFactory({});
    store_.gateConfig.DisableAutoEnterGame = false;
    StoreRequestsTest::TearDown();
  }

  RegisteredTestThread worker_{kThreadMisc};
  Journal journal_;  // worker thread
  int made_ = 0;     // worker thread
};

TEST_F(FlowRequestsTest, AGameCheckReplacesTheLauncherCheckAndASecondOneIsRefused) {
  store_.StartLauncherCheck();
  store_.StartGameCheck(true, false);
  store_.StartGameCheck(true, false);
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  EXPECT_EQ(made_, 3);
  EXPECT_EQ(journal_, (Journal{"launcher.enter(none)", "launcher.leave(game)", "game.enter(launcher)",
                               "launcher.destroyed", "game.destroyed"}));
  EXPECT_TRUE(store_.enterGameAfterFlow);
  EXPECT_EQ(store_.UiView().stateMode, kGameFlow);
}

TEST_F(FlowRequestsTest, DisableAutoEnterGameIsHonouredOnlyWhenAsked) {
  store_.gateConfig.DisableAutoEnterGame = true;
  store_.StartGameCheck(true, true);
  EXPECT_FALSE(store_.enterGameAfterFlow);
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  EXPECT_EQ(store_.UiView().stateType, kPrepareStateId);
  store_.StartGameCheck(true, false);
  EXPECT_TRUE(store_.enterGameAfterFlow);
  store_.StartLauncherCheck();
  EXPECT_FALSE(store_.enterGameAfterFlow);
}

TEST_F(FlowRequestsTest, TheShowRequestStartsAFlowOnlyWhileNoneRuns) {
  EXPECT_FALSE(store_.StartFlowOnShowRequest(0, 0));  // only shows the window
  EXPECT_TRUE(store_.StartFlowOnShowRequest(2, 0));   // nothing runs: the launcher check
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  EXPECT_EQ(store_.UiView().stateMode, kLauncherFlow);
  // A launcher-flow state is current: neither request starts anything.
  EXPECT_FALSE(store_.StartFlowOnShowRequest(1, 1));
  EXPECT_FALSE(store_.StartFlowOnShowRequest(2, 0));

  // An idle game-flow state (the game is started or waiting) lets a game
  // flow start, entering the game only for lParam 1.
  ASSERT_TRUE(RunOn(kThreadMisc, [this] {
    store_.ChangeState(std::make_unique<FakeState>(kEnterGameStateId, kGameFlow, "idle", &journal_));
  }));
  EXPECT_TRUE(store_.StartFlowOnShowRequest(1, 1));
  EXPECT_TRUE(store_.enterGameAfterFlow);
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  StoreUiView view = store_.UiView();
  EXPECT_EQ(view.stateType, kPrepareStateId);
  EXPECT_EQ(view.stateMode, kGameFlow);
  // Now a game flow runs: refused.
  EXPECT_FALSE(store_.StartFlowOnShowRequest(1, 0));
}

}  // namespace
