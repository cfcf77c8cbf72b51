// ApplyUpdateState on files: the budgeted game steps, the rename map, the
// patch failures, the adoption of the fetched map, and moves across file
// systems.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/util/string_util.h"
#include "project/Launcher/core/apply_list.h"
#include "project/Launcher/core/flow/apply_update_state.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "tests/support/openssl_md5.h"
#include "tests/support/temp_folder.h"
#include "tools/patch_writer/bsdiff_writer.h"

namespace {

namespace fs = std::filesystem;

// A state that only records that the flow reached it.
class EndState : public State {
 public:
  explicit EndState(int32_t id) : id_(id) {}
  int32_t TypeId() const override { return id_; }
  void Enter(State*) override {}
  void Update() override {}
  void Leave(State*) override {}

 private:
  int32_t id_;
};

// The process's store with the working folder (and so "update") in a
// temporary folder and the game in "game/".
class ApplyUpdateStateTest : public testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::current_path(dir_.path());
    fs::create_directories(dir_.File("update"));
    fs::create_directories(dir_.File("game"));
    fs::create_directories(dir_.File("prog"));
    store_.SetProgramLocation(kbase::UTF8ToUTF16(dir_.File("prog/")),
                              kbase::UTF8ToUTF16(dir_.File("prog/launcher.exe")));
    store_.SetGamePath(kbase::UTF8ToUTF16(dir_.File("game/")));
    store_.remoteGameVersion = "10077_0_2";
    store_.patchOption = 2;
    store_.renameMap.clear();
    store_.wholeFileOnly.clear();
    store_.ResetAllVersionMaps();
    SetPatchExtensionOvdiff(false);
    FlowStates states;
    states.enterGame = [] { return std::make_unique<EndState>(kEnterGameStateId); };
    states.exception = [](const State&, bool) { return std::make_unique<EndState>(kExceptionStateId); };
    SetFlowStates(states);
  }
  void TearDown() override {
    store_.ChangeState(nullptr);
    SetFlowStates({});
    ApplyUpdateState::SetStepBudgetForTesting(0);
    store_.renameMap.clear();
    store_.ResetAllVersionMaps();
    fs::current_path(old_);
  }

  // A downloaded file |name| (in "update") that the update map names.
  void Downloaded(const std::string& name, const std::string& bytes) {
    dir_.Write("update/" + name, bytes);
    store_.versionMaps["_update_game_version_"][name] = {OpenSslMd5(bytes), static_cast<int64_t>(bytes.size())};
  }
  // Runs the state to its end: the number of steps it took.
  int RunGame(ApplyUpdateState& state) {
    state.Enter(nullptr);
    int steps = 0;
    while (state.result == 0 && steps < 100000) {
      state.Update();
      ++steps;
    }
    state.Update();  // moves the flow on
    return steps;
  }
  int32_t CurrentType() const {
    return store_.currentState() ? store_.currentState()->TypeId() : -1;
  }

  TempFolder dir_;
  fs::path old_;
  LauncherStore& store_ = LauncherStore::GetInstance();
};

TEST_F(ApplyUpdateStateTest, ManyFilesAreAppliedInStepsAndTheFetchedMapIsAdopted) {
  ApplyUpdateState::SetStepBudgetForTesting(1);  // one file a step
  for (int i = 0; i < 120; ++i) Downloaded("Data/f" + std::to_string(i) + ".bin", "file " + std::to_string(i));
  Downloaded("launcher.exe", "not the game's");
  dir_.Write("game/tmp_version_map.txt", "{\"version\":\"10077_0_2\"}");
  dir_.Write("game/version_map.txt", "old map");

  ApplyUpdateState state(kGameFlow);
  const int steps = RunGame(state);
  EXPECT_GT(steps, 1);
  EXPECT_EQ(state.result, 1);
  EXPECT_EQ(state.totalFiles, 120);
  for (int i = 0; i < 120; ++i) {
    const std::string name = "Data/f" + std::to_string(i) + ".bin";
    EXPECT_EQ(dir_.Read("game/" + name), "file " + std::to_string(i)) << name;
    EXPECT_FALSE(dir_.Exists("update/" + name)) << name;
  }
  // The game flow leaves the launcher's executable alone.
  EXPECT_TRUE(dir_.Exists("update/launcher.exe"));
  EXPECT_FALSE(dir_.Exists("game/launcher.exe"));
  EXPECT_EQ(dir_.Read("game/version_map.txt"), "{\"version\":\"10077_0_2\"}");
  EXPECT_FALSE(dir_.Exists("game/tmp_version_map.txt"));
  EXPECT_FALSE(dir_.Exists("update/apply_list.txt"));
  EXPECT_EQ(CurrentType(), kEnterGameStateId);
}

TEST_F(ApplyUpdateStateTest, AFetchedMapThatCannotBeAdoptedFailsTheApply) {
  Downloaded("a.bin", "new a");
  dir_.Write("game/version_map.txt", "old map");  // and no tmp_version_map.txt
  ApplyUpdateState state(kGameFlow);
  RunGame(state);
  EXPECT_EQ(state.result, -1);
  EXPECT_EQ(state.errorText, "Apply Failed");
  EXPECT_EQ(dir_.Read("game/version_map.txt"), "old map");
  // The moved file is recorded, so a retry resumes after it.
  ApplyList list;
  ASSERT_TRUE(ReadApplyList(dir_.File("update/apply_list.txt"), &list));
  EXPECT_EQ(list.fileList, std::vector<std::string>{"a.bin"});
  EXPECT_EQ(CurrentType(), kExceptionStateId);
}

TEST_F(ApplyUpdateStateTest, RenamedFileIsPatchedFromTheNameTheGameUsesAndCopiedThere) {
  const std::string oldBytes = PatternBytes(4000, 3);
  std::string newBytes = oldBytes;
  newBytes.replace(100, 50, PatternBytes(50, 9));
  const std::string patch = PackPatch(MakeUnpackedPatch(oldBytes, newBytes, {{4000, 0, 0}}));
  store_.renameMap = {{u"KVOR_Data/unity_default_resources", u"KVOR_Data/unity default resources"}};
  dir_.Write("game/KVOR_Data/unity default resources", oldBytes);
  dir_.Write("update/KVOR_Data/unity_default_resources.patch", patch);
  const std::string name = "KVOR_Data/unity_default_resources";
  store_.versionMaps["_update_game_version_"][name] = {OpenSslMd5(newBytes), static_cast<int64_t>(newBytes.size())};
  store_.versionMaps["_game_patch_version_"][name] = {OpenSslMd5(patch), static_cast<int64_t>(patch.size())};
  dir_.Write("game/tmp_version_map.txt", "{}");

  for (int option : {1, 2}) {
    store_.patchOption = option;
    dir_.Write("update/" + name + ".patch", patch);
    dir_.Write("game/KVOR_Data/unity default resources", oldBytes);
    dir_.Write("game/tmp_version_map.txt", "{}");
    ApplyUpdateState state(kGameFlow);
    RunGame(state);
    EXPECT_EQ(state.result, 1) << state.detail;
    EXPECT_EQ(dir_.Read("game/" + name), newBytes);
    EXPECT_EQ(dir_.Read("game/KVOR_Data/unity default resources"), newBytes);
    EXPECT_FALSE(dir_.Exists("update/" + name + ".patch"));  // applied patches go
  }
}

TEST_F(ApplyUpdateStateTest, PatchFailuresAreListedWithTheirCodesAndKeepTheirPatches) {
  dir_.Write("game/a.bin", "old a");
  dir_.Write("update/a.bin.patch", "not a patch");
  store_.versionMaps["_update_game_version_"]["a.bin"] = {OpenSslMd5("new a"), 5};
  store_.versionMaps["_game_patch_version_"]["a.bin"] = {OpenSslMd5("not a patch"), 11};
  Downloaded("b.bin", "new b");
  dir_.Write("game/tmp_version_map.txt", "{}");
  store_.patchOption = 1;
  ApplyUpdateState state(kGameFlow);
  RunGame(state);
  EXPECT_EQ(state.result, -1);
  EXPECT_EQ(state.detail, " a.bin(10000) ");
  EXPECT_EQ(dir_.Read("game/a.bin"), "old a");
  EXPECT_EQ(dir_.Read("game/b.bin"), "new b");
  EXPECT_TRUE(dir_.Exists("update/a.bin.patch"));
  EXPECT_EQ(dir_.Read("game/tmp_version_map.txt"), "{}");  // not adopted
}

}  // namespace
