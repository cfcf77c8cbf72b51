#include "project/Launcher/core/single_instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

using Result = SingleInstanceLock::Result;

class SingleInstanceLockTest : public testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }
  TempFolder folder_;
};

TEST_F(SingleInstanceLockTest, OneHolderAtATimeUntilItLetsGo) {
  auto first = std::make_unique<SingleInstanceLock>("_VDL_LAUNCHER_KOREA");
  EXPECT_EQ(first->path(), folder_.File("_VDL_LAUNCHER_KOREA"));
  ASSERT_EQ(first->Acquire(), Result::kAcquired);

  SingleInstanceLock second("_VDL_LAUNCHER_KOREA");
  EXPECT_EQ(second.Acquire(), Result::kHeldByOther);
  EXPECT_FALSE(second.held());

  first.reset();
  EXPECT_EQ(second.Acquire(), Result::kAcquired);
}

TEST_F(SingleInstanceLockTest, AHolderThatDiesReleasesTheLock) {
  int ready[2];  // child to parent
  int go[2];     // parent to child
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstanceLock lock("_VDL_LAUNCHER_KOREA");
    char c = lock.Acquire() == Result::kAcquired ? '1' : '0';
    (void)!::write(ready[1], &c, 1);
    char wait;
    (void)!::read(go[0], &wait, 1);  // until the parent has looked
    ::_exit(0);                          // dies without releasing anything itself
  }
  char acquired = 0;
  ASSERT_EQ(::read(ready[0], &acquired, 1), 1);
  ASSERT_EQ(acquired, '1');
  {
    SingleInstanceLock meanwhile("_VDL_LAUNCHER_KOREA");
    EXPECT_EQ(meanwhile.Acquire(), Result::kHeldByOther);
  }
  char proceed = 'g';
  ASSERT_EQ(::write(go[1], &proceed, 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);

  SingleInstanceLock after("_VDL_LAUNCHER_KOREA");
  EXPECT_EQ(after.Acquire(), Result::kAcquired);
}

TEST_F(SingleInstanceLockTest, RefusesASymbolicLinkInPlaceOfTheFile) {
  std::filesystem::create_symlink(folder_.File("elsewhere"), folder_.File("_VDL_LAUNCHER_KOREA"));
  SingleInstanceLock lock("_VDL_LAUNCHER_KOREA");
  EXPECT_EQ(lock.Acquire(), Result::kUnavailable);
  EXPECT_FALSE(folder_.Exists("elsewhere"));
}

TEST(SingleInstanceLockFolderTest, FallsBackToTmpWithoutARuntimeFolder) {
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(SingleInstanceLock::LockFolder(), "/tmp");
  ::setenv("XDG_RUNTIME_DIR", "relative/path", 1);
  EXPECT_EQ(SingleInstanceLock::LockFolder(), "/tmp");
  ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
