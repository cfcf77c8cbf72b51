// The close flow with scripted settings and scripted boxes: hide or exit by
// the setting, the confirmation while work runs, the one-time question after
// a fresh install and its saved answer, and the boxes that are closed
// without a choice or cannot open.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/scripted_dialogs.h"
#include "project/Launcher/windows/close_flow.h"
#include "tests/core/fake_state.h"
#include "tests/core/store_fixture.h"
#include "tests/core/test_thread.h"

namespace {

class CloseFlowTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_.folder.File("save"));  // as the store's start-up leaves it
    WindowHooks hooks;
    hooks.sendMessage = [this](WindowHandle, uint32_t message, uint64_t, int64_t) { sent_.push_back(message); };
    store().SetWindowHooks(hooks);
    store().SetDialogHost(&dialogs_);
    ASSERT_TRUE(ui_.Start());
    RunOn(kThreadUI, [this] {
      store().RegisterMainWindow(0x10);
      flow_ = std::make_unique<CloseFlow>(store(), CloseFlow::Actions{[this] { ended_.push_back("hide"); },
                                                                      [this] { ended_.push_back("exit"); }});
    });
  }
  void TearDown() override {
    RunOn(kThreadUI, [this] {
      flow_.reset();
      store().RegisterMainWindow(0);
    });
    ui_.Stop();
    store().SetDialogHost(nullptr);
    store().SetWindowHooks({});
  }

  LauncherStore& store() { return folder_.store; }

  // The settings and the run as the test gives them.
  void Settings(bool closeToHide, bool firstRun) {
    store().SetCloseToHide(closeToHide);
    store().firstRun = firstRun;
    store().closeQuestionPending = firstRun;
  }
  // The current state (type, flow) and whether a pre-download runs, as the
  // worker publishes them.
  void Work(int32_t type, int32_t flow, bool preDownload) {
    store().ChangeState(std::make_unique<FakeState>(type, flow, "current", nullptr));
    if (preDownload) store().preDownloadState = std::make_unique<FakeState>(kPreDownloadStateId, 1, "pre", nullptr);
    store().PublishUiView();
  }
  void Close() {
    RunOn(kThreadUI, [this] { flow_->RequestClose(); });
    Settle();
  }
  // Answers the oldest open box on the UI thread.
  void Answer(int32_t answer) {
    RunOn(kThreadUI, [this, answer] { ASSERT_TRUE(dialogs_.Answer(answer)); });
    Settle();
  }
  void Settle() {
    for (int i = 0; i < 3; ++i) RunOn(kThreadUI, [] {});
  }
  std::vector<std::string> Ended() {
    std::vector<std::string> copy;
    RunOn(kThreadUI, [this, &copy] { copy = ended_; });
    return copy;
  }
  std::vector<ScriptedDialogs::OpenedBox> Opened() {
    std::vector<ScriptedDialogs::OpenedBox> copy;
    RunOn(kThreadUI, [this, &copy] { copy = dialogs_.opened(); });
    return copy;
  }
  // closeToHide as the settings file holds it; nothing when there is none.
  std::optional<bool> SavedCloseToHide() {
    std::ifstream in(folder_.folder.File("save/EnvConfig.json"));
    Json::Value root;
    if (!in || !(in >> root)) return std::nullopt;
    return root["closeToHide"].asBool();
  }

  ScopedStoreFolder folder_;
  RegisteredTestThread ui_{kThreadUI};
  ScriptedDialogs dialogs_;           // UI thread
  std::unique_ptr<CloseFlow> flow_;   // UI thread
  std::vector<std::string> ended_;    // UI thread
  std::vector<uint32_t> sent_;        // UI thread
};

TEST_F(CloseFlowTest, TheSettingDecidesWithoutAQuestionWhenNothingWouldBeInterrupted) {
  struct Case {
    bool closeToHide;
    int32_t type;
    int32_t flow;
    bool preDownload;
    const char* ended;
  };
  // Hiding interrupts nothing, so it never asks; an idle launcher (the game
  // flow's idle or error state) exits at once.
  for (const Case& c : {Case{true, kDownloadFilesStateId, 1, true, "hide"},
                        Case{true, kPrepareStateId, kLauncherFlow, false, "hide"},
                        Case{false, kEnterGameStateId, 1, false, "exit"},
                        Case{false, kExceptionStateId, 1, false, "exit"}}) {
    SCOPED_TRACE(std::to_string(c.type) + (c.closeToHide ? " hide" : " exit"));
    Settings(c.closeToHide, false);
    Work(c.type, c.flow, c.preDownload);
    RunOn(kThreadUI, [this] { ended_.clear(); });
    Close();
    EXPECT_EQ(Ended(), std::vector<std::string>{c.ended});
    EXPECT_TRUE(Opened().empty());
    store().preDownloadState.reset();
  }
  EXPECT_FALSE(SavedCloseToHide()) << "nothing was chosen, nothing saved";
}

TEST_F(CloseFlowTest, ExitingWhileWorkRunsIsConfirmedAndCancelKeepsEverything) {
  struct Case {
    int32_t type;
    int32_t flow;
    bool preDownload;
  };
  // The launcher's own flow in any state, a game flow from prepare to apply,
  // or a pre-download beside an idle flow.
  for (const Case& c : {Case{kEnterGameStateId, kLauncherFlow, false}, Case{kPrepareStateId, 1, false},
                        Case{kApplyUpdateStateId, 1, false}, Case{kEnterGameStateId, 1, true}}) {
    SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.flow));
    Settings(false, false);
    Work(c.type, c.flow, c.preDownload);
    RunOn(kThreadUI, [this] { ended_.clear(); });
    const size_t before = Opened().size();
    Close();
    ASSERT_EQ(Opened().size(), before + 1);
    const MessageBoxContent box = Opened().back().message;
    EXPECT_EQ(box.title, (BoxText{u"STRING_NOTICE", true}));
    EXPECT_EQ(box.content, (BoxText{u"STRING_CLOSE_CONFIRM_FOR_DOWNLOAD", true}));
    EXPECT_EQ(box.firstButton, (BoxText{u"STRING_CANCEL", true}));
    EXPECT_EQ(box.secondButton, (BoxText{u"STRING_CONFIRM", true}));
    EXPECT_TRUE(box.swapButtons);
    EXPECT_TRUE(Ended().empty()) << "nothing happens before the answer";
    Answer(0);
    EXPECT_TRUE(Ended().empty()) << "cancel keeps the window and the work";
    Close();
    Answer(1);
    EXPECT_EQ(Ended(), std::vector<std::string>{"exit"});
    store().preDownloadState.reset();
  }
}

TEST_F(CloseFlowTest, TheFirstCloseAfterAFreshInstallAsksOnceAndSavesTheChoice) {
  struct Case {
    int32_t choice;
    const char* ended;
    bool savedHide;
  };
  for (const Case& c : {Case{CloseFlow::kChoiceTray, "hide", true}, Case{CloseFlow::kChoiceExit, "exit", false}}) {
    SCOPED_TRACE(c.ended);
    Settings(!c.savedHide, true);  // the choice differs from the setting it replaces
    Work(kEnterGameStateId, 1, false);
    RunOn(kThreadUI, [this] { ended_.clear(); sent_.clear(); });
    const size_t before = Opened().size();
    Close();
    ASSERT_EQ(Opened().size(), before + 1);
    const ScriptedDialogs::OpenedBox box = Opened().back();
    ASSERT_TRUE(box.optionsBox);
    EXPECT_EQ(box.options.contentKey, "STRING_SHUT_OPTION_NOTICE");
    EXPECT_EQ(box.options.groupName, u"shutdown_options");
    EXPECT_EQ(box.options.optionKeys,
              (std::vector<std::string>{"STRING_SHUT_OPTION_TRAYICON", "STRING_SHUT_OPTION_EXIT"}));
    EXPECT_EQ(box.options.selectedIndex, 0);
    EXPECT_FALSE(store().closeQuestionPending);
    Answer(c.choice);
    EXPECT_EQ(Ended(), std::vector<std::string>{c.ended});
    EXPECT_EQ(SavedCloseToHide(), c.savedHide);
    EXPECT_EQ(store().SettingsCopy().closeToHide, c.savedHide);
    // The settings pages are told of the new value.
    std::vector<uint32_t> sent;
    RunOn(kThreadUI, [this, &sent] { sent = sent_; });
    EXPECT_NE(std::find(sent.begin(), sent.end(), kMsgRefreshState), sent.end());
    // Asked once a run: the next close follows the saved choice.
    Close();
    EXPECT_EQ(Opened().size(), before + 1);
    EXPECT_EQ(Ended(), (std::vector<std::string>{c.ended, c.ended}));
  }
}

TEST_F(CloseFlowTest, OnAFreshInstallWithWorkRunningTheConfirmationComesFirst) {
  Settings(false, true);
  Work(kDownloadFilesStateId, 1, false);
  Close();
  ASSERT_EQ(Opened().size(), 1u);
  EXPECT_FALSE(Opened()[0].optionsBox);
  Answer(1);
  ASSERT_EQ(Opened().size(), 2u);
  EXPECT_TRUE(Opened()[1].optionsBox);
  Answer(CloseFlow::kChoiceExit);
  EXPECT_EQ(Ended(), std::vector<std::string>{"exit"});
}

TEST_F(CloseFlowTest, AQuestionLeftWithoutAChoiceOrThatCannotOpenDoesNothing) {
  // Closed without a choice: the box never answers; nothing happens, and the
  // next close follows the stored setting (exit).
  Settings(false, true);
  Work(kEnterGameStateId, 1, false);
  Close();
  ASSERT_EQ(Opened().size(), 1u);
  EXPECT_TRUE(Ended().empty());
  Close();
  EXPECT_EQ(Ended(), std::vector<std::string>{"exit"});

  // No window to own the box: the store answers kBoxNotShown, which is
  // neither option (the first option's 0 would hide the window to the tray).
  RunOn(kThreadUI, [this] {
    store().RegisterMainWindow(0);
    ended_.clear();
  });
  Settings(false, true);
  Close();
  EXPECT_EQ(Opened().size(), 1u);
  EXPECT_TRUE(Ended().empty());
  EXPECT_FALSE(SavedCloseToHide());
  // Nor is a confirmation that cannot open taken for a yes.
  Settings(false, false);
  Work(kDownloadFilesStateId, 1, false);
  Close();
  EXPECT_EQ(Opened().size(), 1u);
  EXPECT_TRUE(Ended().empty());
}

TEST_F(CloseFlowTest, AnAnswerAfterTheFlowIsGoneDoesNothing) {
  Settings(false, false);
  Work(kDownloadFilesStateId, 1, false);
  Close();
  ASSERT_EQ(Opened().size(), 1u);
  RunOn(kThreadUI, [this] { flow_.reset(); });
  Answer(1);
  EXPECT_TRUE(Ended().empty());
}

}  // namespace
