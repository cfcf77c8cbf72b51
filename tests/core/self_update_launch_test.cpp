#include "project/Launcher/core/self_update_launch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "project/Launcher/core/launcher_store.h"
#include "tests/support/temp_folder.h"

namespace {

class SelfUpdateLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    previous_ = cwd;
    ASSERT_EQ(chdir(folder_.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_.c_str()), 0); }

  // A launcher that ends at once, whatever its arguments.
  void InstallLauncher() {
    folder_.Write("launcher.exe", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(folder_.File("launcher.exe"), std::filesystem::perms::owner_all);
  }

  TempFolder folder_;
  std::string previous_;
  LauncherStore store_;
};

TEST_F(SelfUpdateLaunchTest, OneStartedCopyClearsAllThreeFlags) {
  InstallLauncher();
  store_.launcherReplaced = true;
  store_.browserFilesChanged = true;
  store_.fontsChanged = true;
  EXPECT_TRUE(StartStoreSelfUpdate(store_, u""));
  EXPECT_FALSE(store_.launcherReplaced);
  EXPECT_FALSE(store_.browserFilesChanged);
  EXPECT_FALSE(store_.fontsChanged);
  EXPECT_TRUE(folder_.Exists("launcher_temp.exe"));
  // A second caller (the clean-up after a restart) finds nothing to do.
  EXPECT_FALSE(StartStoreSelfUpdate(store_, u""));
}

TEST_F(SelfUpdateLaunchTest, NothingReplacedStartsNothing) {
  InstallLauncher();
  EXPECT_FALSE(StartStoreSelfUpdate(store_, u"./launcher.exe"));
  EXPECT_FALSE(folder_.Exists("launcher_temp.exe"));
}

TEST_F(SelfUpdateLaunchTest, ACopyThatCannotStartKeepsTheFlags) {
  store_.fontsChanged = true;  // no launcher.exe to copy
  EXPECT_FALSE(StartStoreSelfUpdate(store_, u""));
  EXPECT_TRUE(store_.fontsChanged);
}

}  // namespace

namespace {

TEST_F(SelfUpdateLaunchTest, TheRestartClearsTheOtherFlagsOrKeepsTheLauncherFlagOnFailure) {
  store_.fontsChanged = true;
  EXPECT_FALSE(StartRestartingSelfUpdate(store_, true));  // no launcher.exe yet
  EXPECT_TRUE(store_.launcherReplaced);
  EXPECT_TRUE(store_.fontsChanged);

  InstallLauncher();
  store_.launcherReplaced = false;  // the restart question clears it first
  EXPECT_TRUE(StartRestartingSelfUpdate(store_, true));
  EXPECT_FALSE(store_.launcherReplaced);
  EXPECT_FALSE(store_.fontsChanged);
  EXPECT_FALSE(StartStoreSelfUpdate(store_, u""));
}

}  // namespace
