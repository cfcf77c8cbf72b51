#include "project/Launcher/services/download_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/resume_info.h"
#include "tests/services/download_test_support.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

constexpr int64_t kMiB = 1 << 20;

std::string Md5Of(const std::string& path) {
  std::string md5;
  int64_t size = 0;
  CheckFileMd5(path, "-", md5, size);
  return md5;
}

class DownloadManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    host_.saveFolder = dir_.path();
  }
  void Init(const DownloadTuning& tuning = DownloadTuning()) {
    manager_.Init(&host_, tuning);
  }
  std::string Mirror(const std::string& name) { return server_.BaseUrl() + "/" + name + "/"; }
  // Serves the same content under each mirror's folder; returns its MD5.
  std::string Serve(const std::string& file, std::shared_ptr<testsrv::Content> content,
                    std::initializer_list<const char*> mirrors = {"a"}) {
    for (const char* m : mirrors) server_.AddFile(std::string("/") + m + "/" + file, content);
    return testsrv::ContentMd5(*content);
  }
  std::vector<testsrv::RequestRecord> RequestsFor(const std::string& path) {
    std::vector<testsrv::RequestRecord> out;
    for (auto& r : server_.Requests())
      if (r.path == path) out.push_back(r);
    return out;
  }
  bool Download(const std::string& urlPath, const std::string& local, const std::string& md5,
                int64_t size, FileOutcome* outcome) {
    manager_.DownloadFile(urlPath, local, md5, size, outcome->Callback(), nullptr, 7);
    return PumpUntil(manager_, [&] { return outcome->called; });
  }

  TempFolder dir_;
  testsrv::TestServer server_;
  RecordingHost host_;
  DownloadManager manager_;
};

// 100 MiB in 32 MiB parts; the first mirror drops two transfers midway, so
// those parts continue from where they stopped, on the same mirror.
TEST_F(DownloadManagerTest, LargeFileInPartsSurvivesDroppedConnections) {
  Init();
  const int64_t size = 100 * kMiB;
  const std::string md5 =
      Serve("data/big.bin", testsrv::MakePatternContent(size, 1), {"a", "b"});
  testsrv::Fault drop;
  drop.times = 2;
  drop.dropAfter = 5 * kMiB;
  server_.SetFault("/a/data/big.bin", drop);
  manager_.SetMirrors({Mirror("a"), Mirror("b")});
  manager_.SetJob(size);

  const std::string local = dir_.Join("game/data/big.bin");
  FileOutcome outcome;
  ASSERT_TRUE(Download("data/big.bin", local, md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  EXPECT_EQ(outcome.calls, 1);
  EXPECT_EQ(outcome.urlPath, "data/big.bin");
  EXPECT_EQ(std::filesystem::file_size(local), static_cast<uint64_t>(size));
  EXPECT_EQ(Md5Of(local), md5);
  EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));
  EXPECT_EQ(manager_.downloaded_bytes(), size);
  EXPECT_TRUE(host_.HasMessage(RecordingHost::kProgress, size, size));

  // Four parts; each dropped part was asked for again from its next byte.
  auto requests = RequestsFor("/a/data/big.bin");
  EXPECT_EQ(requests.size(), 6u);
  int resumed = 0;
  for (const auto& r : requests) {
    const int64_t within = r.rangeBegin % (32 * kMiB);
    EXPECT_TRUE(within == 0 || within == 5 * kMiB) << r.range;
    if (within == 5 * kMiB) ++resumed;
  }
  EXPECT_EQ(resumed, 2);
  EXPECT_TRUE(RequestsFor("/b/data/big.bin").empty());
  EXPECT_EQ(server_.BytesSent("/a/data/big.bin"), size);
}

TEST_F(DownloadManagerTest, MirrorAnsweringErrorsLeavesTheOtherToServeEverything) {
  DownloadTuning tuning;
  tuning.partSize = kMiB;
  Init(tuning);
  const int64_t size = 3 * kMiB + 100;
  const std::string md5 = Serve("f.bin", testsrv::MakePatternContent(size, 2), {"a", "b"});
  testsrv::Fault error;
  error.status = 500;
  error.body = "ERRORBODY-ERRORBODY";
  server_.SetFault("/a/f.bin", error);
  manager_.SetMirrors({Mirror("a"), Mirror("b")});

  const std::string local = dir_.Join("f.bin");
  FileOutcome outcome;
  ASSERT_TRUE(Download("f.bin", local, md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  EXPECT_EQ(Md5Of(local), md5);
  // Three attempts of each of the four parts on the failing mirror.
  EXPECT_EQ(RequestsFor("/a/f.bin").size(), 12u);
  EXPECT_EQ(server_.BytesSent("/b/f.bin"), size);
}

// Answers that are not the asked-for bytes never reach the file: the part
// stays as the fresh division left it (zeros) and the result is -3, with a
// text that names the status and the file.
TEST_F(DownloadManagerTest, WrongAnswersNeverReachTheFile) {
  DownloadTuning tuning;
  tuning.partSize = 64 * 1024;
  struct Case {
    const char* name;
    testsrv::Fault fault;
    const char* text;
  };
  std::vector<Case> cases(3);
  cases[0].name = "error status with a body";
  cases[0].fault.status = 500;
  cases[0].fault.body = std::string(300000, 'E');
  cases[0].text = "HTTP 500 for w.bin";
  cases[1].name = "not found with a body";
  cases[1].fault.status = 404;
  cases[1].fault.body = std::string(1000, 'N');
  cases[1].text = "HTTP 404 for w.bin";
  cases[2].name = "range shifted";
  cases[2].fault.rangeShift = 4096;
  cases[2].text = "HTTP 206 with other bytes than asked for w.bin";
  Init(tuning);
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 128 * 1024;
  auto content = testsrv::MakePatternContent(size, 3);
  const std::string md5 = Serve("w.bin", content);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.SetFault("/a/w.bin", c.fault);
    const std::string local = dir_.Join(std::string("w-") + c.name);
    {
      std::ofstream stale(local, std::ios::binary);
      stale << std::string(size * 2, 'S');  // a stale, longer file
    }
    FileOutcome outcome;
    ASSERT_TRUE(Download("w.bin", local, md5, size, &outcome));
    EXPECT_EQ(outcome.result, kDownloadTransferFailed);
    EXPECT_EQ(outcome.message, c.text);
    // The other part may still be running; let it end (silently).
    ASSERT_TRUE(PumpUntil(manager_, [&] {
      return manager_.active_count() + manager_.pending_count() == 0;
    }));
    EXPECT_EQ(outcome.calls, 1);
    const std::string bytes = ReadFile(local);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(size));
    EXPECT_TRUE(bytes == std::string(size, '\0'));
  }
}

// A mirror's failure is told by its status and the file it concerns, not by
// what libcurl says of the refused body.
TEST_F(DownloadManagerTest, FailedAnswersNameTheStatusAndTheFile) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 4096;
  const std::string md5 = Serve("Data/level0.assets", testsrv::MakePatternContent(size, 8));
  const std::vector<std::pair<int, std::string>> cases = {
      {404, "HTTP 404 for Data/level0.assets"},
      {500, "HTTP 500 for Data/level0.assets"},
      {503, "HTTP 503 for Data/level0.assets"},
      {403, "HTTP 403 for Data/level0.assets"},
  };
  for (const auto& [status, text] : cases) {
    SCOPED_TRACE(status);
    testsrv::Fault fault;
    fault.status = status;
    fault.body = "<html>error page</html>";
    server_.SetFault("/a/Data/level0.assets", fault);
    FileOutcome outcome;
    ASSERT_TRUE(Download("Data/level0.assets", dir_.Join("s" + std::to_string(status)), md5,
                         size, &outcome));
    EXPECT_EQ(outcome.result, kDownloadTransferFailed);
    EXPECT_EQ(outcome.message, text);
  }
}

// A mirror that answers every ranged request with the whole file (200)
// serves whole files: the file is taken in one transfer from byte 0, after
// the answer was checked, whether it was divided into parts or was resuming
// its one part from the middle.
TEST_F(DownloadManagerTest, MirrorIgnoringRangesServesTheWholeFile) {
  DownloadTuning tuning;
  tuning.partSize = 64 * 1024;
  Init(tuning);
  manager_.SetMirrors({Mirror("a")});
  testsrv::Fault ignore;
  ignore.ignoreRange = true;

  struct Case {
    const char* name;
    int64_t size;
    int64_t resumeAt;  // -1: a fresh file
  };
  const Case cases[] = {{"five_parts", 5 * 64 * 1024 - 100, -1},
                        {"one_part_resumed", 50000, 20000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = std::string(c.name) + ".bin";
    auto content = testsrv::MakePatternContent(c.size, 12);
    const std::string md5 = Serve(name, content);
    server_.SetFault("/a/" + name, ignore);
    const std::string local = dir_.Join(name);
    if (c.resumeAt >= 0) {
      // The first bytes are there (and right); the rest are zeros.
      std::string bytes(static_cast<size_t>(c.size), '\0');
      content->Read(0, bytes.data(), static_cast<size_t>(c.resumeAt));
      std::ofstream(local, std::ios::binary) << bytes;
      ASSERT_TRUE(SaveResumeInfo(local, md5, {PartInfo{0, c.resumeAt, c.size - 1}}));
    }
    server_.ClearRequests();
    FileOutcome outcome;
    ASSERT_TRUE(Download(name, local, md5, c.size, &outcome));
    EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(Md5Of(local), md5);
    EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));
    ASSERT_TRUE(PumpUntil(manager_, [&] {
      return manager_.active_count() + manager_.pending_count() == 0;
    }));
    // One answer carried the file; the others were ended unread.
    EXPECT_LE(RequestsFor("/a/" + name).size(), 5u);
    EXPECT_NE(ReadFile(dir_.Join("dltrace.log")).find("range ignored:" + name),
              std::string::npos);
  }
}

// A version map that gives the file another size than the mirror's copy has:
// the first answer tells the real size, the file fails at once with a clear
// error after a few requests, and no sized-up copy stays on disk.
TEST_F(DownloadManagerTest, SizeOtherThanTheMirrorsFailsAtOnce) {
  Init();
  manager_.SetMirrors({Mirror("a"), Mirror("b")});
  const int64_t real = 100 * 1024;
  const std::string md5 = Serve("s.bin", testsrv::MakePatternContent(real, 13), {"a", "b"});
  struct Case {
    const char* name;
    int64_t mapSize;
  };
  const Case cases[] = {{"ten GiB in the map", int64_t{10} << 30},
                        {"half the size in the map", real / 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.ClearRequests();
    const std::string local = dir_.Join(std::string("m/") + c.name);
    FileOutcome outcome;
    ASSERT_TRUE(Download("s.bin", local, md5, c.mapSize, &outcome));
    EXPECT_EQ(outcome.result, kDownloadTransferFailed);
    EXPECT_EQ(outcome.message, "size mismatch for s.bin: the server's file has " +
                                   std::to_string(real) + " bytes, the version map says " +
                                   std::to_string(c.mapSize));
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(manager_.active_count() + manager_.pending_count(), 0u);
    EXPECT_LE(server_.Requests().size(), 5u);  // one wave of transfers at most
    EXPECT_FALSE(std::filesystem::exists(local));
    EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));
  }
}

// A resume record nested too deep for the JSON reader (found by fuzzing)
// beside a full-size file: the record is unusable, so the file starts afresh
// and the download completes.
TEST_F(DownloadManagerTest, RecordTooDeepToReadMeansAFreshStart) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 3 * kMiB;
  auto content = testsrv::MakePatternContent(size, 14);
  const std::string md5 = Serve("deep.bin", content);
  const std::string local = dir_.Join("deep.bin");
  std::ofstream(local, std::ios::binary) << std::string(size, 'x');
  std::ofstream(local + ".cfg", std::ios::binary) << std::string(1001, '[');

  FileOutcome outcome;
  ASSERT_TRUE(Download("deep.bin", local, md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  EXPECT_EQ(Md5Of(local), md5);
  EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));
  EXPECT_EQ(server_.BytesSent("/a/deep.bin"), size);
}

// Files already present without a record are hashed off the worker, one
// after the other, before any of them is fetched; the check reports its
// progress up to 100, and only the file that differs is fetched.
TEST_F(DownloadManagerTest, PresentFilesAreCheckedOnTheHashingThreadWithProgress) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  struct File {
    const char* name;
    int64_t size;
    bool intact;
  };
  const File files[] = {{"p1.bin", 3 * kMiB, true}, {"p2.bin", 2 * kMiB, false},
                        {"p3.bin", kMiB + 5, true}};
  std::vector<FileOutcome> outcomes(3);
  std::vector<std::string> md5s;
  for (size_t i = 0; i < 3; ++i) {
    auto content = testsrv::MakePatternContent(files[i].size, 20 + static_cast<uint32_t>(i));
    md5s.push_back(Serve(files[i].name, content));
    const std::string local = dir_.Join(files[i].name);
    if (files[i].intact) {
      ASSERT_TRUE(testsrv::WriteContentToFile(*content, local));
    } else {
      std::ofstream(local, std::ios::binary) << std::string(files[i].size, 'z');
    }
    manager_.DownloadFile(files[i].name, local, md5s[i], files[i].size,
                          outcomes[i].Callback(), nullptr, 1);
  }
  // Nothing was hashed on this thread: every check waits for the pump.
  EXPECT_EQ(manager_.checking_count(), 3u);
  for (const auto& o : outcomes) EXPECT_FALSE(o.called);
  ASSERT_TRUE(PumpUntil(manager_, [&] {
    return std::all_of(outcomes.begin(), outcomes.end(),
                       [](const FileOutcome& o) { return o.called; });
  }));
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(files[i].name);
    EXPECT_EQ(outcomes[i].result, kDownloadOk) << outcomes[i].message;
    EXPECT_EQ(Md5Of(dir_.Join(files[i].name)), md5s[i]);
    EXPECT_EQ(RequestsFor(std::string("/a/") + files[i].name).empty(), files[i].intact);
  }
  std::vector<int64_t> percents;
  for (const auto& [event, zero, percent] : host_.Messages())
    if (event == RecordingHost::kCheckProgress) percents.push_back(percent);
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
}

TEST_F(DownloadManagerTest, WrongContentIsFetchedAgainThenReportedAsMd5Mismatch) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 100 * 1024;
  const std::string md5 = Serve("c.bin", testsrv::MakePatternContent(size, 4));
  testsrv::Fault corrupt;
  corrupt.corrupt = true;
  server_.SetFault("/a/c.bin", corrupt);
  FileOutcome outcome;
  ASSERT_TRUE(Download("c.bin", dir_.Join("c.bin"), md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadMd5Mismatch);
  EXPECT_EQ(outcome.message, "check md5 error");
  EXPECT_EQ(outcome.calls, 1);
  EXPECT_EQ(RequestsFor("/a/c.bin").size(), 3u);  // three whole downloads
  EXPECT_NE(ReadFile(dir_.Join("dltrace.log")).find("c.bin:" + md5 + "!="), std::string::npos);
}

// Parts that run side by side arrive out of order: the lowest part is hashed
// from the receive buffer, the others are read back from the file once the
// prefix reaches them. Intact, the file is judged complete; with a byte
// damaged in a later part, the check catches it on every attempt.
TEST_F(DownloadManagerTest, PartsArrivingOutOfOrderAreHashedOnceInFileOrder) {
  DownloadTuning tuning;
  tuning.partSize = kMiB;
  Init(tuning);
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 4 * kMiB + 100;  // five parts, all running at once
  struct Case {
    const char* name;
    int64_t corruptAt;
    int32_t result;
    size_t requests;
  };
  const Case cases[] = {
      {"intact", -1, kDownloadOk, 5},
      {"damaged in the fourth part", 3 * kMiB + 4321, kDownloadMd5Mismatch, 15},
  };
  uint32_t seed = 60;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = "o" + std::to_string(seed) + ".bin";
    const std::string md5 = Serve(name, testsrv::MakePatternContent(size, ++seed));
    testsrv::Fault fault;
    fault.throttle = 2 * kMiB;  // per transfer: the parts overlap in time
    fault.corruptAt = c.corruptAt;
    server_.SetFault("/a/" + name, fault);
    const int64_t readBackBefore = manager_.read_back_bytes();
    FileOutcome outcome;
    const std::string local = dir_.Join(name);
    ASSERT_TRUE(Download(name, local, md5, size, &outcome));
    EXPECT_EQ(outcome.result, c.result) << outcome.message;
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(RequestsFor("/a/" + name).size(), c.requests);
    const int64_t readBack = manager_.read_back_bytes() - readBackBefore;
    EXPECT_GT(readBack, 0);  // some parts did arrive out of order
    if (c.result == kDownloadOk) {
      EXPECT_LT(readBack, size);  // the first part came from memory
      EXPECT_EQ(Md5Of(local), md5);
      EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));
    }
  }
}

// A fast download of many parts: the transfers of later parts wait while the
// hash has enough to do, and the digest still covers every byte once.
TEST_F(DownloadManagerTest, FastDownloadOfManyPartsIsJudgedComplete) {
  DownloadTuning tuning;
  tuning.partSize = 4 * kMiB;
  Init(tuning);
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 64 * kMiB + 12345;
  const std::string md5 = Serve("fast.bin", testsrv::MakePatternContent(size, 3));
  FileOutcome outcome;
  const std::string local = dir_.Join("fast.bin");
  ASSERT_TRUE(Download("fast.bin", local, md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  EXPECT_EQ(Md5Of(local), md5);
  EXPECT_LT(manager_.read_back_bytes(), size);
}

TEST_F(DownloadManagerTest, ImmediateOutcomesWithoutTransfers) {
  Init();
  FileOutcome noMirror;
  manager_.DownloadFile("x.bin", dir_.Join("x.bin"), "", 10, noMirror.Callback(), nullptr, 1);
  EXPECT_EQ(noMirror.result, kDownloadNoMirror);
  EXPECT_EQ(noMirror.message, "DownloadFile URL is empty");

  manager_.SetMirrors({Mirror("a")});
  // Size 0 makes the file empty, also when an old one had content.
  const std::string empty = dir_.Write("sub/empty.bin", "old content");
  FileOutcome zero;
  manager_.DownloadFile("empty.bin", empty, "", 0, zero.Callback(), nullptr, 1);
  EXPECT_EQ(zero.result, kDownloadOk);
  EXPECT_EQ(std::filesystem::file_size(empty), 0u);
  FileOutcome fresh;
  manager_.DownloadFile("e.bin", dir_.Join("new/folder/e.bin"), "", 0, fresh.Callback(), nullptr,
                        1);
  EXPECT_EQ(fresh.result, kDownloadOk);
  EXPECT_TRUE(std::filesystem::exists(dir_.Join("new/folder/e.bin")));

  // A complete local copy is checked on the hashing thread, not fetched
  // again, and counts as downloaded; the check reports its progress.
  auto content = testsrv::MakePatternContent(5000, 9);
  const std::string md5 = Serve("have.bin", content);
  const std::string have = dir_.Join("have.bin");
  ASSERT_TRUE(testsrv::WriteContentToFile(*content, have));
  FileOutcome present;
  manager_.DownloadFile("have.bin", have, md5, 5000, present.Callback(), nullptr, 1);
  EXPECT_EQ(manager_.checking_count(), 1u);
  ASSERT_TRUE(PumpUntil(manager_, [&] { return present.called; }));
  EXPECT_EQ(present.result, kDownloadOk);
  EXPECT_EQ(manager_.checking_count(), 0u);
  EXPECT_TRUE(host_.HasMessage(RecordingHost::kCheckProgress, 0, 100));
  EXPECT_EQ(manager_.downloaded_bytes(), 5000);
  EXPECT_EQ(manager_.pending_count(), 0u);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(DownloadManagerTest, ResumeRecordFetchesOnlyTheMissingRange) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 300000;
  auto content = testsrv::MakePatternContent(size, 5);
  const std::string md5 = Serve("r.bin", content);
  const std::string local = dir_.Join("r.bin");
  ASSERT_TRUE(testsrv::WriteContentToFile(*content, local));
  {
    std::fstream f(local, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(200000);
    f << std::string(100000, '\0');  // the missing tail
  }
  ASSERT_TRUE(SaveResumeInfo(local, md5, {{0, 200000, size - 1}}));
  FileOutcome outcome;
  ASSERT_TRUE(Download("r.bin", local, md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk);
  auto requests = RequestsFor("/a/r.bin");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].range, "bytes=200000-299999");
  EXPECT_EQ(Md5Of(local), md5);
  EXPECT_FALSE(std::filesystem::exists(local + ".cfg"));
}

// Offsets past 2 GiB: the last part of a 3 GiB file (sparse on disk) is
// asked for and written where it belongs.
TEST_F(DownloadManagerTest, PartsBeyondTwoGibibytesLandAtTheirOffsets) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 3LL << 30;
  auto content = testsrv::MakePatternContent(size, 61);
  server_.AddFile("/a/huge.bin", content);
  const std::string md5(32, '0');
  const std::string local = dir_.Join("huge.bin");
  { std::ofstream(local, std::ios::binary); }
  std::filesystem::resize_file(local, static_cast<uintmax_t>(size));
  ASSERT_TRUE(SaveResumeInfo(local, md5, {{95, size - 1000, size - 1}}));
  FileOutcome outcome;
  manager_.DownloadFile("huge.bin", local, md5, size, outcome.Callback(), nullptr, 1);
  EXPECT_EQ(manager_.downloaded_bytes(), size - 1000);
  ASSERT_TRUE(PumpUntil(manager_, [&] { return manager_.verifying_count() == 1; }));
  auto requests = RequestsFor("/a/huge.bin");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].range, "bytes=3221224472-3221225471");
  std::string expected(1000, '\0'), written(1000, '\0');
  content->Read(size - 1000, expected.data(), expected.size());
  std::ifstream in(local, std::ios::binary);
  in.seekg(size - 1000);
  in.read(written.data(), static_cast<std::streamsize>(written.size()));
  EXPECT_TRUE(written == expected);
  manager_.CancelAllTasks(0);  // no need to hash 3 GiB of zeros
  EXPECT_FALSE(outcome.called);
}

// A transfer that stalls fails after the stall time; it had moved the part
// forward, so the attempt is not counted and the next one continues.
TEST_F(DownloadManagerTest, StalledTransferContinuesWhereItStopped) {
  DownloadTuning tuning;
  tuning.stallSeconds = 1;
  Init(tuning);
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 400000;
  const std::string md5 = Serve("s.bin", testsrv::MakePatternContent(size, 6));
  testsrv::Fault stall;
  stall.times = 1;
  stall.stallAfter = 150000;
  server_.SetFault("/a/s.bin", stall);
  FileOutcome outcome;
  ASSERT_TRUE(Download("s.bin", dir_.Join("s.bin"), md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  auto requests = RequestsFor("/a/s.bin");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].rangeBegin, 150000);
}

// The stall time is 2 s rather than 1 s so that a busy test machine pausing
// the process for a moment is not taken for a stalled server.
TEST_F(DownloadManagerTest, SlowButMovingTransferIsNotAFailure) {
  DownloadTuning tuning;
  tuning.stallSeconds = 2;
  Init(tuning);
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 600000;
  const std::string md5 = Serve("slow.bin", testsrv::MakePatternContent(size, 7));
  testsrv::Fault slow;
  slow.throttle = 150000;  // about 4 s in all, twice the stall time
  server_.SetFault("/a/slow.bin", slow);
  FileOutcome outcome;
  ASSERT_TRUE(Download("slow.bin", dir_.Join("slow.bin"), md5, size, &outcome));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  EXPECT_EQ(RequestsFor("/a/slow.bin").size(), 1u);
}

TEST_F(DownloadManagerTest, PauseHoldsTransfersAndResumeFinishesThem) {
  Init();
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 6 * kMiB;
  const std::string md5 = Serve("p.bin", testsrv::MakePatternContent(size, 8));
  const std::string md5b = Serve("q.bin", testsrv::MakePatternContent(1000, 9));
  testsrv::Fault slow;
  slow.throttle = 3 * kMiB;
  server_.SetFault("/a/p.bin", slow);

  FileOutcome outcome;
  manager_.DownloadFile("p.bin", dir_.Join("p.bin"), md5, size, outcome.Callback(), nullptr, 1);
  ASSERT_TRUE(PumpUntil(manager_, [&] { return manager_.downloaded_bytes() > 0; }));
  manager_.PauseTransfers();
  EXPECT_TRUE(manager_.paused());
  EXPECT_TRUE(host_.HasMessage(RecordingHost::kPaused, 0, 1));
  FileOutcome second;
  manager_.DownloadFile("q.bin", dir_.Join("q.bin"), md5b, 1000, second.Callback(), nullptr, 2);
  const int64_t held = manager_.downloaded_bytes();
  for (int i = 0; i < 40; ++i) manager_.PumpTransfers();
  EXPECT_EQ(manager_.downloaded_bytes(), held);
  EXPECT_EQ(manager_.pending_count(), 1u);
  EXPECT_TRUE(RequestsFor("/a/q.bin").empty());
  EXPECT_FALSE(outcome.called);

  manager_.ResumeTransfers();
  EXPECT_FALSE(manager_.paused());
  EXPECT_TRUE(host_.HasMessage(RecordingHost::kPaused, 0, 0));
  ASSERT_TRUE(PumpUntil(manager_, [&] { return outcome.called && second.called; }));
  EXPECT_EQ(outcome.result, kDownloadOk) << outcome.message;
  EXPECT_EQ(second.result, kDownloadOk);
  EXPECT_EQ(Md5Of(dir_.Join("p.bin")), md5);
}

// The user's figure limits the whole download, however many transfers share
// it. Measured over several seconds of a two-part file.
TEST_F(DownloadManagerTest, SpeedLimitHoldsForTheWholeDownload) {
  DownloadTuning tuning;
  tuning.partSize = 8 * kMiB;
  Init(tuning);
  host_.SetLimit(0, {true, 20000});
  EXPECT_EQ(manager_.ReceiveLimit(0), 20000 * 204);
  EXPECT_EQ(manager_.ReceiveLimit(1), 0);
  manager_.SetMirrors({Mirror("a")});
  const int64_t size = 16 * kMiB;
  const std::string md5 = Serve("l.bin", testsrv::MakePatternContent(size, 10));

  FileOutcome outcome;
  manager_.DownloadFile("l.bin", dir_.Join("l.bin"), md5, size, outcome.Callback(), nullptr, 1);
  ASSERT_TRUE(PumpUntil(manager_, [&] { return manager_.downloaded_bytes() > 0; }));
  const auto start = std::chrono::steady_clock::now();
  const int64_t startBytes = manager_.downloaded_bytes();
  ASSERT_TRUE(PumpUntil(manager_, [&] { return outcome.called; }));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(outcome.result, kDownloadOk);
  const double rate = static_cast<double>(size - startBytes) / seconds;
  EXPECT_NEAR(rate, 20000.0 * 204, 0.15 * 20000 * 204);
}

}  // namespace
