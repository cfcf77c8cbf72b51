// The request to enter the game belongs to the game flow it was made for.
// The main window answers the refresh of the idle state that ends the
// launcher's own check by asking for a game check that enters the game; that
// idle state must not start the game: only the game flow, once it has brought
// the game up to date, does.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/util/string_util.h"
#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/scripted_dialogs.h"
#include "tests/core/fake_state.h"
#include "tests/core/test_thread.h"
#include "tests/support/one_processor.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr WindowHandle kMainWindow = 0x10;

class EnterGameRequestTest : public testing::Test {
 protected:
  void SetUp() override {
    // No "version_map.txt" in the game folder: every game start shows the
    // check-failed box, which the dialogs record.
    store_.SetGamePath(kbase::UTF8ToUTF16(game_.path()));
    WindowHooks hooks;
    hooks.sendMessage = [this](WindowHandle, uint32_t message, uint64_t, int64_t) {
      AnswerAsTheMainWindow(message);
    };
    store_.SetWindowHooks(hooks);
    store_.SetDialogHost(&dialogs_);
    store_.SetFirstStateFactory([](int32_t mode) -> std::unique_ptr<State> {
      return std::make_unique<FakeState>(kPrepareStateId, mode, "prepare", nullptr);
    });
    ASSERT_TRUE(ui_.Start());
    ASSERT_TRUE(worker_.Start());
    ASSERT_TRUE(RunOn(kThreadUI, [this] { store_.RegisterMainWindow(kMainWindow); }));
  }
  void TearDown() override {
    RunOn(kThreadMisc, [this] { store_.ChangeState(nullptr); });
    worker_.Stop();
    RunOn(kThreadUI, [this] { store_.RegisterMainWindow(0); });
    ui_.Stop();
    store_.SetDialogHost(nullptr);
    store_.SetWindowHooks({});
    store_.SetFirstStateFactory(nullptr);
  }

  // "Check, update and play" was pressed while the launcher checked itself:
  // once the window shows the idle state, it asks for the game check that
  // enters the game (UI thread).
  void AnswerAsTheMainWindow(uint32_t message) {
    if (message != kMsgRefreshState || asked_) return;
    if (store_.UiView().stateType != kEnterGameStateId) return;
    asked_ = true;
    store_.StartGameCheck(true, false);
  }

  // Lets each thread run what the other posted: the idle state's refresh and
  // boxes, the flow start posted in answer, and what that start posted.
  static void Settle() {
    for (int i = 0; i < 2; ++i) {
      RunOn(kThreadUI, [] {});
      RunOn(kThreadMisc, [] {});
    }
  }

  size_t GameStarts() {
    size_t starts = 0;
    RunOn(kThreadUI, [&] { starts = dialogs_.opened().size(); });
    return starts;
  }

  OneProcessor oneProcessor_;  // before the threads start
  LauncherStore& store_ = LauncherStore::GetInstance();
  TempFolder game_;
  RegisteredTestThread ui_{kThreadUI};
  RegisteredTestThread worker_{kThreadMisc};
  ScriptedDialogs dialogs_;  // UI thread
  bool asked_ = false;       // UI thread
};

TEST_F(EnterGameRequestTest, OnlyTheGameFlowAskedForStartsTheGame) {
  // Each round loses the race with good odds on one processor.
  constexpr int kRounds = 300;
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_TRUE(RunOn(kThreadUI, [this] {
      asked_ = false;
      store_.StartLauncherCheck();
    }));
    ASSERT_TRUE(RunOn(kThreadMisc, [this] {
      store_.ChangeState(
          std::make_unique<FakeState>(kCheckVersionStateId, kLauncherFlow, "check", nullptr));
      store_.ChangeState(std::make_unique<EnterGameState>());
    }));
    Settle();
    ASSERT_EQ(GameStarts(), static_cast<size_t>(round))
        << "round " << round << ": the launcher check's idle state started the game";
    StoreUiView view = store_.UiView();
    ASSERT_EQ(view.stateType, kPrepareStateId);
    ASSERT_EQ(view.stateMode, kGameFlow);

    // The game flow ends after applying its update: now the game starts.
    ASSERT_TRUE(RunOn(kThreadMisc, [this] {
      store_.ChangeState(
          std::make_unique<FakeState>(kApplyUpdateStateId, kGameFlow, "apply", nullptr));
      store_.ChangeState(std::make_unique<EnterGameState>());
    }));
    Settle();
    ASSERT_EQ(GameStarts(), static_cast<size_t>(round) + 1) << "round " << round;
  }
}

TEST_F(EnterGameRequestTest, AGameCheckNotAskedToEnterTheGameDoesNotStartIt) {
  ASSERT_TRUE(RunOn(kThreadUI, [this] {
    asked_ = true;  // the window asks nothing
    store_.StartGameCheck(false, false);
  }));
  ASSERT_TRUE(RunOn(kThreadMisc, [this] {
    store_.ChangeState(
        std::make_unique<FakeState>(kApplyUpdateStateId, kGameFlow, "apply", nullptr));
    store_.ChangeState(std::make_unique<EnterGameState>());
  }));
  Settle();
  EXPECT_EQ(GameStarts(), 0u);
}

}  // namespace
