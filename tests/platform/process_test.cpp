// Starting programs from an argument vector, opening links, and the instance
// lock between processes, with a recorder program as the child.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/instance/instance_lock.h"
#include "platform/process/error_box.h"
#include "platform/process/process.h"
#include "tests/support/fifo_record.h"
#include "tests/support/read_file.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

std::string RecorderPath() { return SPAWN_RECORDER_PATH; }

TEST(SpawnProcessTest, ArgumentsReachTheChildVerbatimInItsWorkingFolder) {
  TempFolder temp;
  std::string work = temp.File("game folder with blanks");
  std::filesystem::create_directories(work);
  ScopedEnv record("SPAWN_RECORD", temp.File("record.txt"));
  // Texts a shell would split, expand or run: each must arrive as one
  // argument, unchanged.
  std::vector<std::string> argv = {RecorderPath(), "a b", "$(touch pwned)", "x;y|z", "'\"", "0|1",
                                   "*"};
  // A descriptor the parent left open without close-on-exec must not leak.
  int leaked = ::open(temp.File("leak").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(leaked, 3);
  platform::SpawnOptions options;
  options.workingFolder = work;
  options.detach = false;
  pid_t pid = -1;
  ASSERT_TRUE(platform::SpawnProcess(argv, options, &pid, nullptr));
  EXPECT_EQ(platform::WaitProcess(pid), 0);
  ::close(leaked);

  std::string expected = "cwd=" + std::filesystem::canonical(work).string() + "\n";
  for (size_t i = 1; i < argv.size(); ++i) expected += "arg=" + argv[i] + "\n";
  expected += "fds=0,1,2\nend\n";
  EXPECT_EQ(ReadFile(temp.File("record.txt")), expected);
  EXPECT_FALSE(std::filesystem::exists(work + "/pwned"));
}

std::string PipeName(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return "";
  return "pipe:[" + std::to_string(info.st_ino) + "]";
}

TEST(SpawnProcessTest, HandOverPutsTheGivenPairOnThreeAndFourAndNothingElse) {
  TempFolder temp;
  ScopedEnv record("SPAWN_RECORD", temp.File("record.txt"));
  int to_child[2], from_child[2];
  ASSERT_EQ(::pipe(to_child), 0);
  ASSERT_EQ(::pipe(from_child), 0);
  // Open descriptors on 3..n in the parent (the pipes themselves among them)
  // and one more without close-on-exec: only the pair may arrive, each on its
  // own place, whatever numbers the parent gave them.
  int leaked = ::open(temp.File("leak").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(leaked, 3);
  platform::SpawnOptions options;
  options.detach = false;
  options.handOverRead = to_child[0];
  options.handOverWrite = from_child[1];
  pid_t pid = -1;
  ASSERT_TRUE(platform::SpawnProcess({RecorderPath()}, options, &pid, nullptr));
  EXPECT_EQ(platform::WaitProcess(pid), 0);
  std::string expected = "cwd=" + std::filesystem::current_path().string() + "\n" +
                         "fd3=" + PipeName(to_child[0]) + "\n" + "fd4=" +
                         PipeName(from_child[1]) + "\n" + "fds=0,1,2,3,4\nend\n";
  EXPECT_EQ(ReadFile(temp.File("record.txt")), expected);
  for (int fd : {to_child[0], to_child[1], from_child[0], from_child[1], leaked}) ::close(fd);

  // Half a pair is refused before anything starts.
  platform::SpawnOptions half;
  half.handOverRead = 0;
  int error = 0;
  EXPECT_FALSE(platform::SpawnProcess({RecorderPath()}, half, nullptr, &error));
  EXPECT_EQ(error, EINVAL);
}

TEST(SpawnProcessTest, ProgramsThatCannotStartFailWithTheReason) {
  TempFolder temp;
  std::ofstream(temp.File("not_executable")) << "data";
  struct Case {
    std::vector<std::string> argv;
    std::string folder;
    int error;
  } cases[] = {
      {{temp.File("missing")}, "", ENOENT},
      {{temp.File("not_executable")}, "", EACCES},
      {{RecorderPath()}, temp.File("no such folder"), ENOENT},
      {{}, "", EINVAL},
  };
  for (const Case& c : cases) {
    platform::SpawnOptions options;
    options.workingFolder = c.folder;
    options.detach = false;
    int error = 0;
    EXPECT_FALSE(platform::SpawnProcess(c.argv, options, nullptr, &error))
        << (c.argv.empty() ? "" : c.argv[0]);
    EXPECT_EQ(error, c.error) << (c.argv.empty() ? "" : c.argv[0]);
  }
}

TEST(OpenUrlTest, OnlyHttpAndHttpsLinksAreOpenable) {
  struct Case {
    const char* url;
    bool openable;
  } cases[] = {
      {"https://example.com/news?id=1&x=2", true},
      {"http://127.0.0.1:8080/", true},
      {"HTTPS://Example.com/", true},
      {"https://example.com/a;rm -rf", false},  // a blank
      {"https://example.com/\n", false},
      {"https://", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"ftp://example.com/", false},
      {"/usr/bin/xterm", false},
      {"--help", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::IsOpenableUrl(c.url), c.openable) << c.url;
}

TEST(OpenUrlTest, TheOpenerGetsTheLinkAsItsOnlyArgument) {
  TempFolder temp;
  // A fake "xdg-open" first in PATH: the recorder under that name.
  ASSERT_EQ(::symlink(RecorderPath().c_str(), temp.File("xdg-open").c_str()), 0);
  ASSERT_EQ(::mkfifo(temp.File("fifo").c_str(), 0600), 0);
  ScopedEnv path("PATH", temp.path());
  ScopedEnv record("SPAWN_RECORD", temp.File("fifo"));

  EXPECT_FALSE(platform::OpenUrlInBrowser("file:///etc/passwd"));
  EXPECT_FALSE(platform::OpenUrlInBrowser("https://a.example/$(id)`id` x"));
  const std::string url = "https://a.example/p?q=$(id)&r=`id`;s|t";
  ASSERT_TRUE(platform::OpenUrlInBrowser(url));
  std::string text = ReadRecordFromFifo(temp.File("fifo"));
  EXPECT_NE(text.find("arg=" + url + "\nfds="), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;  // cwd, one arg, fds, end
}

TEST(ErrorBoxTest, ZenityGetsTheTextAsArgumentsAndIsWaitedFor) {
  TempFolder temp;
  ASSERT_EQ(::symlink(RecorderPath().c_str(), temp.File("zenity").c_str()), 0);
  ScopedEnv path("PATH", temp.path());
  ScopedEnv record("SPAWN_RECORD", temp.File("record.txt"));
  platform::ShowErrorBox("Vistrel", "Failed to load xml file $(id) 'a b'");
  // Returns only once the box is gone, so the record is complete.
  const std::string text = ReadFile(temp.File("record.txt"));
  EXPECT_NE(text.find("arg=--error\narg=--no-markup\narg=--title=Vistrel\n"
                      "arg=--text=Failed to load xml file $(id) 'a b'\nfds="),
            std::string::npos)
      << text;
}

TEST(ErrorBoxTest, WithoutZenityTheMessageGoesToStandardError) {
  TempFolder temp;
  ScopedEnv path("PATH", temp.path());
  ::testing::internal::CaptureStderr();
  platform::ShowErrorBox("Vistrel", "Failed to load xml file main\\skin.xml");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Vistrel: Failed to load xml file main\\skin.xml\n");
}

TEST(InstanceLockTest, HeldByOneTestedByOthersWithoutTakingIt) {
  TempFolder temp;
  ScopedEnv runtime("XDG_RUNTIME_DIR", temp.path());
  const std::string name = "_Kvor_Instance_";
  EXPECT_FALSE(platform::InstanceLock::IsHeld(name));
  {
    platform::InstanceLock holder(name);
    ASSERT_TRUE(holder.Acquire());
    EXPECT_EQ(platform::InstanceLock::PathOf(name), temp.File(name + ".lock"));
    EXPECT_TRUE(platform::InstanceLock::IsHeld(name));
    EXPECT_TRUE(platform::InstanceLock::IsHeld(name));  // testing left it with the holder
    platform::InstanceLock second(name);
    EXPECT_FALSE(second.Acquire());
  }
  EXPECT_FALSE(platform::InstanceLock::IsHeld(name));
  platform::InstanceLock again(name);
  EXPECT_TRUE(again.Acquire());
}

TEST(InstanceLockTest, AnotherProcessHoldsItUntilItDies) {
  TempFolder temp;
  ScopedEnv runtime("XDG_RUNTIME_DIR", temp.path());
  int toChild[2];
  int fromChild[2];
  ASSERT_EQ(::pipe2(toChild, O_CLOEXEC), 0);
  ASSERT_EQ(::pipe2(fromChild, O_CLOEXEC), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(toChild[0], 0);
    ::dup2(fromChild[1], 1);
    ::execl(RecorderPath().c_str(), RecorderPath().c_str(), "--hold-lock", "game_lock", nullptr);
    ::_exit(127);
  }
  ::close(toChild[0]);
  ::close(fromChild[1]);
  char said[5] = {};
  ASSERT_EQ(::read(fromChild[0], said, 4), 4);  // the child holds the lock now
  EXPECT_STREQ(said, "held");
  EXPECT_TRUE(platform::InstanceLock::IsHeld("game_lock"));
  platform::InstanceLock mine("game_lock");
  EXPECT_FALSE(mine.Acquire());

  ::kill(pid, SIGKILL);  // no clean-up of its own: the kernel drops the lock
  EXPECT_EQ(platform::WaitProcess(pid), 128 + SIGKILL);
  ::close(toChild[1]);
  ::close(fromChild[0]);
  EXPECT_FALSE(platform::InstanceLock::IsHeld("game_lock"));
  EXPECT_TRUE(mine.Acquire());
}

}  // namespace
