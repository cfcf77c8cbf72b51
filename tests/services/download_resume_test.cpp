// A downloading process killed with SIGKILL and started again fetches only
// the bytes it had not received, plus at most about a second per transfer.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "project/Launcher/services/file_utils.h"
#include "project/Launcher/services/resume_info.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

extern char** environ;

namespace {

constexpr int64_t kMiB = 1 << 20;

pid_t SpawnChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(DOWNLOAD_CHILD_PATH));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, DOWNLOAD_CHILD_PATH, nullptr, nullptr, argv.data(), environ) != 0)
    return -1;
  return pid;
}

int WaitChild(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return status;
}

int64_t Remaining(const std::vector<PartInfo>& parts) {
  int64_t n = 0;
  for (const auto& p : parts) n += p.end - p.begin + 1;
  return n;
}

// Reads the record without touching the files (a copy is loaded, so an
// unusable one deletes only the copy).
bool PeekRecord(const TempFolder& dir, const std::string& local, const std::string& md5,
                int64_t size, std::vector<PartInfo>* parts) {
  const std::string copy = dir.Join("peek.bin");
  std::error_code ec;
  std::filesystem::copy_file(local + ".cfg", copy + ".cfg",
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) return false;
  return LoadResumeInfo(copy, md5, size, parts);
}

TEST(DownloadResumeTest, KilledDownloadFetchesOnlyTheMissingBytes) {
  TempFolder dir;
  testsrv::TestServer server;
  ASSERT_TRUE(server.Start());
  const int64_t size = 100 * kMiB;
  auto content = testsrv::MakePatternContent(size, 21);
  const std::string md5 = testsrv::ContentMd5(*content);
  server.AddFile("/m/pack.bin", content);
  const int64_t rate = 6 * kMiB;  // per transfer, so the first run lasts seconds
  testsrv::Fault throttle;
  throttle.throttle = rate;
  server.SetFault("/m/pack.bin", throttle);

  const std::string local = dir.Join("game/pack.bin");
  const std::vector<std::string> args = {server.BaseUrl() + "/m/", "pack.bin", local, md5,
                                         std::to_string(size)};
  const pid_t first = SpawnChild(args);
  ASSERT_GT(first, 0);
  // Kill once the record shows a good amount of progress.
  std::vector<PartInfo> parts;
  bool progressed = false;
  while (!progressed) {
    int status = 0;
    ASSERT_EQ(waitpid(first, &status, WNOHANG), 0) << "the download ended before the kill";
    progressed = PeekRecord(dir, local, md5, size, &parts) && Remaining(parts) < size - 12 * kMiB;
    // The record is the event; it changes about once a second, so a short
    // poll interval suffices.
    if (!progressed) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(first, SIGKILL);
  WaitChild(first);
  const int64_t sentBeforeKill = server.BytesSent("/m/pack.bin");
  ASSERT_TRUE(PeekRecord(dir, local, md5, size, &parts));
  const int64_t missing = Remaining(parts);
  ASSERT_GT(missing, 0);
  const size_t transfers = parts.size();

  server.ClearRequests();
  server.ClearFaults();
  const pid_t second = SpawnChild(args);
  ASSERT_GT(second, 0);
  const int status = WaitChild(second);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  std::string digest;
  int64_t digestSize = 0;
  EXPECT_TRUE(CheckFileMd5(local, md5, digest, digestSize));
  EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));

  // The second run asked exactly for what the record left open...
  int64_t requested = 0;
  for (const auto& r : server.Requests()) {
    ASSERT_EQ(r.path, "/m/pack.bin");
    const bool matchesPart = std::any_of(parts.begin(), parts.end(), [&](const PartInfo& p) {
      return p.begin == r.rangeBegin && p.end == r.rangeEnd;
    });
    EXPECT_TRUE(matchesPart) << r.range;
    requested += r.rangeEnd - r.rangeBegin + 1;
  }
  EXPECT_EQ(requested, missing);
  // ...which is what had not been sent, plus at most about a second of each
  // transfer (the record is rewritten once a second) and what sat in the
  // socket buffers at the kill.
  const int64_t notSent = size - sentBeforeKill;
  EXPECT_LE(requested, notSent + static_cast<int64_t>(transfers) * (rate + 4 * kMiB));
}

// Several files of different sizes (one part, several parts, a small one
// that finishes early), killed three times at moments of the transfers,
// then run to the end: every file has its digest, no record is left, and a
// file finished before the last run is checked, not fetched again.
TEST(DownloadResumeTest, RepeatedKillsOverSeveralFilesEndWithEveryDigest) {
  TempFolder dir;
  testsrv::TestServer server;
  ASSERT_TRUE(server.Start());
  struct File {
    std::string name;
    int64_t size;
    std::string md5;
    std::string local;
  };
  std::vector<File> files = {{"big.bin", 70 * kMiB + 11, "", ""},
                             {"data/mid.bin", 33 * kMiB, "", ""},
                             {"small.bin", kMiB + 3, "", ""},
                             {"data/one.bin", 9 * kMiB, "", ""}};
  testsrv::Fault throttle;
  throttle.throttle = 4 * kMiB;  // per transfer: each run lasts seconds
  std::vector<std::string> args = {server.BaseUrl() + "/m/"};
  uint32_t seed = 40;
  for (auto& f : files) {
    auto content = testsrv::MakePatternContent(f.size, ++seed);
    f.md5 = testsrv::ContentMd5(*content);
    f.local = dir.Join("game/" + f.name);
    server.AddFile("/m/" + f.name, content);
    server.SetFault("/m/" + f.name, throttle);
    args.insert(args.end(), {f.name, f.local, f.md5, std::to_string(f.size)});
  }
  auto complete = [&](const File& f) {
    std::string digest;
    int64_t digestSize = 0;
    return !std::filesystem::exists(f.local + ".cfg") &&
           CheckFileMd5(f.local, f.md5, digest, digestSize);
  };

  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("kill " + std::to_string(round));
    server.ClearRequests();
    const pid_t child = SpawnChild(args);
    ASSERT_GT(child, 0);
    // Killed once some answer of this run has sent a few MiB.
    const int64_t mark = static_cast<int64_t>(round) * 2 * kMiB;
    ASSERT_TRUE(server.WaitForRequest(
        [&](const testsrv::RequestRecord& r) { return r.bytesSent >= mark; }, 120000));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the download ended before the kill";
    kill(child, SIGKILL);
    WaitChild(child);
  }

  std::vector<std::string> finishedBefore;
  for (const auto& f : files)
    if (complete(f)) finishedBefore.push_back("/m/" + f.name);
  server.ClearRequests();
  server.ClearFaults();
  const pid_t last = SpawnChild(args);
  ASSERT_GT(last, 0);
  const int status = WaitChild(last);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    EXPECT_TRUE(complete(f));
  }
  for (const auto& r : server.Requests())
    EXPECT_EQ(std::count(finishedBefore.begin(), finishedBefore.end(), r.path), 0) << r.path;
}

}  // namespace
