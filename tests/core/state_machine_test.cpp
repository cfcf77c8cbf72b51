#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/download_task.h"
#include "tests/core/fake_state.h"

namespace {

// The states report to the process's store; each test starts and ends with
// no current state.
class StateMachineTest : public testing::Test {
 protected:
  void SetUp() override { store_.ChangeState(nullptr); }
  void TearDown() override {
    store_.ChangeState(nullptr);
    journal_.clear();
  }
  std::unique_ptr<FakeState> Make(int32_t type, int32_t flow, const char* name) {
    return std::make_unique<FakeState>(type, flow, name, &journal_);
  }

  LauncherStore& store_ = LauncherStore::GetInstance();
  Journal journal_;
};

TEST_F(StateMachineTest, FromNoneEntersAndPublishesTypeAndMode) {
  store_.ChangeState(Make(kPrepareStateId, kLauncherFlow, "a"));
  EXPECT_EQ(journal_, (Journal{"a.enter(none)"}));
  StoreUiView view = store_.UiView();
  EXPECT_EQ(view.stateType, kPrepareStateId);
  EXPECT_EQ(view.stateMode, kLauncherFlow);
}

TEST_F(StateMachineTest, SameTypeInTheSameFlowIsRefusedUntouched) {
  for (int32_t flow : {kLauncherFlow, kGameFlow}) {
    SCOPED_TRACE(flow);
    store_.ChangeState(Make(kPrepareStateId, flow, "a"));
    journal_.clear();
    auto* before = store_.currentState();
    // Any non-zero mode is the game flow.
    store_.ChangeState(Make(kPrepareStateId, flow == kGameFlow ? 7 : kLauncherFlow, "b"));
    EXPECT_EQ(journal_, (Journal{"b.destroyed"}));
    EXPECT_EQ(store_.currentState(), before);
    store_.ChangeState(nullptr);
    journal_.clear();
  }
}

TEST_F(StateMachineTest, AGameFlowReplacesTheLauncherFlowOfTheSameType) {
  store_.ChangeState(Make(kPrepareStateId, kLauncherFlow, "launcher"));
  journal_.clear();
  store_.ChangeState(Make(kPrepareStateId, kGameFlow, "game"));
  // The old state is left, the new one entered while the old one still
  // lives, and only then is the old one destroyed.
  EXPECT_EQ(journal_, (Journal{"launcher.leave(game)", "game.enter(launcher)", "launcher.destroyed"}));
  EXPECT_EQ(store_.UiView().stateMode, kGameFlow);
}

TEST_F(StateMachineTest, ToNoneLeavesAndDestroysAndNoneToNoneDoesNothing) {
  store_.ChangeState(Make(kEnterGameStateId, kGameFlow, "idle"));
  journal_.clear();
  store_.ChangeState(nullptr);
  EXPECT_EQ(journal_, (Journal{"idle.leave(none)", "idle.destroyed"}));
  EXPECT_EQ(store_.currentState(), nullptr);
  EXPECT_EQ(store_.UiView().stateType, -1);

  journal_.clear();
  store_.ChangeState(nullptr);
  EXPECT_TRUE(journal_.empty());
}

TEST_F(StateMachineTest, ResultsReachOnlyTheStateThatAskedForThem) {
  auto first = Make(kRequestRemoteStateId, kGameFlow, "first");
  const int32_t staleToken = first->JobToken();
  store_.ChangeState(std::move(first));
  // Another state of the very same type, now of the launcher flow, replaces
  // the first; the first one's answers arrive late.
  auto second = Make(kRequestRemoteStateId, kLauncherFlow, "second");
  const int32_t token = second->JobToken();
  EXPECT_NE(token, staleToken);
  store_.ChangeState(std::move(second));
  journal_.clear();

  store_.RouteRequestDone(staleToken, 0, "map", "old", 3, "");
  store_.RouteFileDone(staleToken, 0, "file", "");
  store_.RouteProbeDone(staleToken, 0, "probe", true, "");
  store_.RouteRequestDone(token + 1000, 0, "unknown", "x", 1, "");
  EXPECT_TRUE(journal_.empty());

  store_.RouteRequestDone(token, -3, "map", "body\0tail", 9, "timeout");
  store_.RouteFileDone(token, -4, "file", "md5");
  store_.RouteProbeDone(token, 0, "probe", false, "");
  EXPECT_EQ(journal_, (Journal{std::string("second.request(-3,map,body\0tail,timeout)", 40),
                               "second.file(-4,file,md5)", "second.probe(0,probe,no,)"}));
}

TEST_F(StateMachineTest, TheDownloadManagersCallbacksRouteByToken) {
  auto state = Make(kDownloadFilesStateId, kGameFlow, "download");
  const int32_t token = state->JobToken();
  store_.ChangeState(std::move(state));
  journal_.clear();
  // The callbacks as the download manager holds them.
  FileDoneCallback onFile = RouteFileDoneCallback();
  MemoryDoneCallback onRequest = RouteRequestDoneCallback();
  onFile(token + 1, 0, "other", "");
  onFile(token, 0, "mine", "");
  onRequest(token, -1, "list", nullptr, 0, "no mirror");
  EXPECT_EQ(journal_, (Journal{"download.file(0,mine,)", "download.request(-1,list,,no mirror)"}));
}

TEST_F(StateMachineTest, EveryChangeIsTracedWithTheStatesNamesAndARefusalIsNot) {
  std::vector<std::string> lines;
  store_.SetStateTrace([&lines](const std::string& line) { lines.push_back(line); });
  store_.ChangeState(Make(kPrepareStateId, kLauncherFlow, "a"));
  store_.ChangeState(Make(kPrepareStateId, kLauncherFlow, "refused"));
  store_.ChangeState(Make(kDownloadFilesStateId, kGameFlow, "b"));
  store_.ChangeState(nullptr);
  store_.SetStateTrace(nullptr);
  EXPECT_EQ(lines, (std::vector<std::string>{"state none -> PrepareState(launcher)",
                                             "state PrepareState(launcher) -> DownloadFilesState(game)",
                                             "state DownloadFilesState(game) -> none"}));
}

TEST(StateFailTest, FailSetsTheFailedResultWithItsCodeTextAndDetail) {
  FakeState state(kDownloadFilesStateId, kGameFlow, "s", nullptr);
  EXPECT_EQ(state.result, kStatePending);
  state.Fail(-3, "Request Failed:timeout", "Data/level0.assets");
  EXPECT_EQ(state.result, kStateFailed);
  EXPECT_EQ(state.result, -1);  // the number callers and records compare with
  EXPECT_EQ(state.ErrorDetailText(), u"-3\nRequest Failed:timeout(Data/level0.assets)");
}

TEST_F(StateMachineTest, NewStatesClearTheErrorFlag) {
  store_.errorShown = true;
  auto state = Make(kExceptionStateId, kGameFlow, "e");
  EXPECT_FALSE(store_.errorShown);
}

TEST(StateErrorTextTest, CodeTextAndDetailMakeTheDetailLine) {
  FakeState state(kDownloadFilesStateId, kGameFlow, "s", nullptr);
  state.errorText = "Request Failed:";
  EXPECT_EQ(state.ErrorDetailText(), u"Request Failed:");
  state.errorCode = -3;
  state.detail = "a.zip";
  EXPECT_EQ(state.ErrorDetailText(), u"-3\nRequest Failed:(a.zip)");
}

}  // namespace
