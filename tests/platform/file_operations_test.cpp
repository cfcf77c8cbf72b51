#include "platform/files/file_operations.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// The names in the folder: a temporary file left behind would show here.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileOperationsTest, WriteAndReadWholeFiles) {
  TempFolder tmp;
  const std::string path = tmp.Join("data.bin");
  std::string bytes("with\0zero\r\nand more", 19);
  ASSERT_TRUE(platform::WriteFileAtomically(path, "old content that is longer"));
  ASSERT_TRUE(platform::WriteFileAtomically(path, bytes));
  std::string read;
  ASSERT_TRUE(platform::ReadFileToString(path, read));
  EXPECT_EQ(read, bytes);
  std::string wide_read;
  ASSERT_TRUE(platform::ReadFileToString(std::u16string(path.begin(), path.end()), wide_read));
  EXPECT_EQ(wide_read, bytes);
  // Only the file itself is left: the temporary file was renamed over it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()),
                          std::filesystem::directory_iterator()),
            1);

  std::string unchanged = "unchanged";
  EXPECT_FALSE(platform::ReadFileToString(tmp.Join("missing"), unchanged));
  EXPECT_EQ(unchanged, "unchanged");
  EXPECT_FALSE(platform::WriteFileAtomically(tmp.Join("no/such/folder/file"), bytes));
  EXPECT_FALSE(std::filesystem::exists(tmp.Join("no")));
}

TEST(FileOperationsTest, ReadStreamToStringReadsFromThePosition) {
  std::istringstream in("skip:rest");
  in.seekg(5);
  std::string out;
  ASSERT_TRUE(platform::ReadStreamToString(in, out));
  EXPECT_EQ(out, "rest");
}

TEST(FileOperationsTest, ReadWholeFileHandle) {
  TempFolder tmp;
  const std::string path = tmp.Write("data", "0123456789");
  uint64_t size = 0;
  auto buffer = platform::ReadWholeFileHandle(open(path.c_str(), O_RDONLY), 10, &size);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.get()), 10), "0123456789");

  size = 0;
  EXPECT_EQ(platform::ReadWholeFileHandle(open(path.c_str(), O_RDONLY), 11, &size), nullptr);  // short
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(platform::ReadWholeFileHandle(-1, 4, nullptr), nullptr);
  // The descriptor is closed in every case.
  int fd = open(path.c_str(), O_RDONLY);
  platform::ReadWholeFileHandle(fd, 100, nullptr);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
}

TEST(FileOperationsTest, ReadsOnlyRegularFilesWithinTheBound) {
  TempFolder tmp;
  const std::string path = tmp.Write("ten", "0123456789");
  std::string out = "kept";
  EXPECT_FALSE(platform::ReadFileToString(path, out, 9));
  EXPECT_EQ(out, "kept");
  ASSERT_TRUE(platform::ReadFileToString(path, out, 10));
  EXPECT_EQ(out, "0123456789");
  out = "kept";
  EXPECT_FALSE(platform::ReadFileToString(tmp.path(), out));  // a folder
  EXPECT_EQ(out, "kept");
  // A file the kernel reports as empty is still read to its end, and bounded.
  ASSERT_TRUE(platform::ReadFileToString("/proc/self/status", out, 1 << 20));
  EXPECT_NE(out.find("Pid:"), std::string::npos);
  EXPECT_FALSE(platform::ReadFileToString("/proc/self/status", out, 4));
}

// One rule for every writer: data flushed before the rename, the mode of the
// replaced file kept, a copy taking its source's mode, and nothing but the
// destination left in the folder whether the step succeeds or fails.
TEST(FileOperationsTest, RewritesAndCopiesKeepTheRightModeAndLeaveNoTemporaryFile) {
  TempFolder tmp;
  const mode_t mask = ::umask(0);
  ::umask(mask);

  const std::string fresh = tmp.File("fresh.json");
  ASSERT_TRUE(platform::WriteFileAtomically(fresh, "{}"));
  EXPECT_EQ(ModeOf(fresh), 0666 & ~mask);

  const std::string secret = tmp.Write("secret.cfg", "old");
  ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
  ASSERT_TRUE(platform::WriteFileAtomically(secret, "new"));
  EXPECT_EQ(ModeOf(secret), 0600u);
  EXPECT_EQ(tmp.Read("secret.cfg"), "new");

  const std::string program = tmp.Write("launcher.exe", "program");
  ASSERT_EQ(::chmod(program.c_str(), 0750), 0);
  const std::string copy = tmp.Write("copy.exe", "an older copy");
  ASSERT_EQ(::chmod(copy.c_str(), 0644), 0);
  ASSERT_TRUE(platform::CopyFileAtomically(program, copy));
  EXPECT_EQ(tmp.Read("copy.exe"), "program");
  EXPECT_EQ(ModeOf(copy), 0750u);
  ASSERT_TRUE(platform::CopyFileAtomically(program, tmp.File("new_copy.exe")));
  EXPECT_EQ(ModeOf(tmp.File("new_copy.exe")), 0750u);

  EXPECT_EQ(NamesIn(tmp.path()), (std::vector<std::string>{"copy.exe", "fresh.json", "launcher.exe",
                                                           "new_copy.exe", "secret.cfg"}));
}

TEST(FileOperationsTest, AFailedStepLeavesTheOldFileAndReportsWhy) {
  TempFolder tmp;
  const std::string target = tmp.Write("target.bin", "old");
  int error = 0;
  EXPECT_FALSE(platform::CopyFileAtomically(tmp.File("missing"), target, &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(platform::CopyFileAtomically(tmp.path(), target, &error));  // a folder
  EXPECT_EQ(error, EINVAL);
  EXPECT_FALSE(platform::MoveFileReplacing(tmp.File("missing"), target, &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(platform::WriteFileAtomically(tmp.File("no/such/folder/f"), "x", &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(tmp.Read("target.bin"), "old");

  // A folder that cannot be written: the old file stays whole and alone.
  if (::geteuid() != 0) {  // root writes anywhere
    ASSERT_EQ(::chmod(tmp.path().c_str(), 0555), 0);
    EXPECT_FALSE(platform::WriteFileAtomically(target, "new", &error));
    EXPECT_EQ(error, EACCES);
    ASSERT_EQ(::chmod(tmp.path().c_str(), 0755), 0);
  }
  EXPECT_EQ(tmp.Read("target.bin"), "old");
  EXPECT_EQ(NamesIn(tmp.path()), std::vector<std::string>{"target.bin"});
}

TEST(FileOperationsTest, MovesReplaceTheTargetAndRemovesToleratesAMissingFile) {
  TempFolder tmp;
  const std::string source = tmp.Write("a/source", "moved");
  const std::string target = tmp.Write("b/target", "replaced");
  ASSERT_TRUE(platform::MoveFileReplacing(source, target));
  EXPECT_EQ(tmp.Read("b/target"), "moved");
  EXPECT_FALSE(tmp.Exists("a/source"));

  EXPECT_TRUE(platform::RemoveFileIfPresent(target));
  EXPECT_FALSE(tmp.Exists("b/target"));
  EXPECT_TRUE(platform::RemoveFileIfPresent(target));  // nothing there: done
  tmp.Write("b/inner", "x");
  EXPECT_FALSE(platform::RemoveFileIfPresent(tmp.File("b")));  // a folder is no file
  EXPECT_TRUE(tmp.Exists("b/inner"));
}

TEST(FileOperationsTest, MovesAcrossFileSystemsCopyAndDeleteTheSource) {
  TempFolder tmp;
  struct stat here;
  struct stat shm;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(tmp.path().c_str(), &here) != 0 ||
      shm.st_dev == here.st_dev) {
    GTEST_SKIP() << "no second file system at hand";
  }
  std::string pattern = "/dev/shm/file_move_XXXXXX";
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::string source = pattern + "/file.bin";
  std::ofstream(source, std::ios::binary) << "moved across";
  ::chmod(source.c_str(), 0750);
  tmp.Write("target.bin", "old");
  EXPECT_TRUE(platform::MoveFileReplacing(source, tmp.File("target.bin")));
  EXPECT_EQ(tmp.Read("target.bin"), "moved across");
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(ModeOf(tmp.File("target.bin")), 0750u);
  fs::remove_all(pattern);
}

// Readers of a file rewritten over and over by two threads only ever see one
// writer's whole content.
TEST(FileOperationsTest, ConcurrentRewritesAreSeenWholeOrNotAtAll) {
  TempFolder tmp;
  const std::string path = tmp.File("record.json");
  const std::string a(4096, 'a');
  const std::string b(8192, 'b');
  ASSERT_TRUE(platform::WriteFileAtomically(path, a));
  std::atomic<int> failures{0};
  auto writer = [&](const std::string& content) {
    for (int i = 0; i < 100; ++i) {
      if (!platform::WriteFileAtomically(path, content)) failures.fetch_add(1);
    }
  };
  std::thread first(writer, a);
  std::thread second(writer, b);
  int torn = 0;
  for (int i = 0; i < 200; ++i) {
    std::string read;
    ASSERT_TRUE(platform::ReadFileToString(path, read));
    if (read != a && read != b) ++torn;
  }
  first.join();
  second.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(NamesIn(tmp.path()), std::vector<std::string>{"record.json"});
}

}  // namespace
