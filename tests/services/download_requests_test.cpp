// Synchronous requests, probes, the usage-event transport and TLS.
#include <gtest/gtest.h>

#include <thread>

#include "project/Launcher/services/download_manager.h"
#include "tests/services/download_test_support.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

struct MemoryOutcome {
  bool called = false;
  int32_t result = 99;
  std::string key, body, message;
  MemoryDoneCallback Callback() {
    return [this](int32_t, int32_t r, std::string k, const char* data, int64_t length,
                  std::string text) {
      called = true;
      result = r;
      key = std::move(k);
      body.assign(data ? data : "", static_cast<size_t>(length));
      message = std::move(text);
    };
  }
};

class DownloadRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    manager_.Init(&host_);
  }
  std::string Url(const std::string& path) { return server_.BaseUrl() + path; }
  std::vector<std::string> Targets() {
    std::vector<std::string> out;
    for (const auto& r : server_.Requests()) out.push_back(r.method + " " + r.target);
    return out;
  }

  testsrv::TestServer server_;
  RecordingHost host_;
  DownloadManager manager_;
};

TEST_F(DownloadRequestsTest, ProbeTellsPresentAndMissingFiles) {
  server_.AddFile("/b/KVOR.exe.patch", testsrv::MakeStringContent("patchbytes"));
  manager_.SetMirrors({Url("/a/"), Url("/b/")});
  // Missing on the first mirror: the answer is final, no other mirror asked.
  bool exists = true;
  int32_t result = 99;
  std::string key;
  ASSERT_TRUE(manager_.ProbeRemoteFile("KVOR.exe.patch", "",
                                       [&](int32_t, int32_t r, std::string k, bool e, std::string) {
                                         result = r, exists = e, key = k;
                                       },
                                       3));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(exists);
  EXPECT_EQ(key, "KVOR.exe.patch/");
  EXPECT_EQ(Targets(), (std::vector<std::string>{"GET /a/KVOR.exe.patch"}));

  manager_.SetMirrors({Url("/b/")});
  ASSERT_TRUE(manager_.ProbeRemoteFile(
      "KVOR.exe.patch", "", [&](int32_t, int32_t r, std::string, bool e, std::string) {
        result = r, exists = e;
      },
      3));
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(exists);
  EXPECT_EQ(server_.Requests().back().range, "bytes=0-0");
  EXPECT_EQ(server_.Requests().back().status, 206);

  manager_.SetMirrors({});
  EXPECT_FALSE(manager_.ProbeRemoteFile("x", "", nullptr, 0));
}

TEST_F(DownloadRequestsTest, RequestsTryEachMirrorThreeTimesInOrder) {
  testsrv::Fault error;
  error.status = 500;
  error.body = "boom";
  server_.AddFile("/a/version_map.txt", testsrv::MakeStringContent("{}"));
  server_.AddFile("/b/version_map.txt", testsrv::MakeStringContent("{}"));
  server_.SetFault("/a/version_map.txt", error);
  server_.SetFault("/b/version_map.txt", error);
  manager_.SetMirrors({Url("/a/"), Url("/b")});
  MemoryOutcome outcome;
  EXPECT_TRUE(manager_.DownloadMemory("version_map.txt", "", outcome.Callback(), 1));
  EXPECT_EQ(outcome.result, kDownloadStartFailed);
  EXPECT_EQ(outcome.message, "500");
  EXPECT_EQ(outcome.key, "version_map.txt/");
  const std::string a = "GET /a/version_map.txt", b = "GET /b/version_map.txt";
  EXPECT_EQ(Targets(), (std::vector<std::string>{a, a, a, b, b, b}));

  // The second mirror recovers after one failure: its answer is handed over.
  server_.ClearRequests();
  server_.ClearFaults();
  error.times = 4;
  server_.SetFault("/a/version_map.txt", error);
  server_.AddFile("/b/version_map.txt", testsrv::MakeStringContent("{\"v\":2}"));
  MemoryOutcome second;
  manager_.DownloadMemory("version_map.txt", "", second.Callback(), 1);
  EXPECT_EQ(second.result, kDownloadOk);
  EXPECT_EQ(second.body, "{\"v\":2}");
  EXPECT_EQ(Targets(), (std::vector<std::string>{a, a, a, b}));

  manager_.SetMirrors({});
  MemoryOutcome none;
  EXPECT_FALSE(manager_.DownloadMemory("v", "", none.Callback(), 1));
  EXPECT_EQ(none.result, kDownloadNoMirror);
  EXPECT_EQ(none.message, "DownloadMemory URL is empty");
}

TEST_F(DownloadRequestsTest, PostBodiesAndBoundedAnswers) {
  server_.AddFile("/gate", testsrv::MakeStringContent("{\"ok\":1}"));
  server_.AddFile("/huge", testsrv::MakePatternContent(3 << 20, 1));
  manager_.SetMirrors({Url("/")});
  MemoryOutcome posted;
  manager_.DownloadMemory("gate", "key=1", posted.Callback(), 1);
  EXPECT_EQ(posted.result, kDownloadOk);
  EXPECT_EQ(posted.key, "gate/key=1");
  EXPECT_EQ(server_.Requests().back().method, "POST");
  EXPECT_EQ(server_.Requests().back().body, "key=1");

  DownloadManager bounded;
  DownloadTuning tuning;
  tuning.maxAnswerBytes = 1 << 20;
  bounded.Init(&host_, tuning);
  MemoryOutcome huge;
  bounded.FetchUrlMemory(Url("/huge"), "", huge.Callback(), 1);
  EXPECT_EQ(huge.result, kDownloadStartFailed);
  EXPECT_LE(huge.body.size(), 1u << 20);

  MemoryOutcome missing;
  manager_.FetchUrlMemory(Url("/nothing"), "", missing.Callback(), 1);
  EXPECT_EQ(missing.result, kDownloadStartFailed);
  EXPECT_EQ(missing.message, "404");
}

TEST_F(DownloadRequestsTest, PostJsonSendsJsonOrTheAttributionQuery) {
  server_.AddFile("/track/json_track", testsrv::MakeStringContent("{\"status\":1}"));
  server_.AddFile("/v1/adjust", testsrv::MakeStringContent("ok"));
  manager_.SetEndpointsForTesting(Url("/track/json_track?token=abc"), Url("/v1/adjust"));
  manager_.PostJson("{\"event\":\"start\"}", manager_.track_url());
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/track/json_track?token=abc");
  EXPECT_EQ(requests[0].body, "{\"event\":\"start\"}");
  EXPECT_EQ(requests[0].headers["content-type"], "application/json; charset=UTF-8");
  EXPECT_EQ(manager_.post_response(), "{\"status\":1}");

  manager_.PostJson("a=1&b=2", manager_.GetAttributionUrl());
  requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].method, "GET");
  EXPECT_EQ(requests[1].target, "/v1/adjust?a=1&b=2");
  EXPECT_TRUE(requests[1].body.empty());
}

TEST_F(DownloadRequestsTest, QueuedEventsLeaveOneAtATimeInOrder) {
  server_.AddFile("/t1", testsrv::MakeStringContent("ok"));
  server_.AddFile("/t2", testsrv::MakeStringContent("ok"));
  server_.AddFile("/now", testsrv::MakeStringContent("ok"));
  manager_.SendEvent("second-url-1", Url("/t2"), false);
  manager_.SendEvent("first-url-1", Url("/t1"), false);
  manager_.SendEvent("second-url-2", Url("/t2"), false);
  manager_.SendEvent("first-url-2", Url("/t1"), false);
  manager_.SendEvent("at-once", Url("/now"), true);
  EXPECT_EQ(manager_.queued_event_count(), 4u);
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].body, "at-once");

  for (int i = 0; i < 6; ++i) manager_.SendQueuedEvent();  // two calls find nothing
  std::vector<std::string> sent;
  for (const auto& r : server_.Requests()) sent.push_back(r.path + ":" + r.body);
  EXPECT_EQ(sent, (std::vector<std::string>{"/now:at-once", "/t1:first-url-1", "/t1:first-url-2",
                                            "/t2:second-url-1", "/t2:second-url-2"}));
  EXPECT_EQ(manager_.queued_event_count(), 0u);
}

// A request waiting on a silent server ends once the manager stops, with no
// further attempt and no callback.
TEST_F(DownloadRequestsTest, StoppingAbortsARequestInProgress) {
  testsrv::Fault stall;
  stall.stallAfter = 0;
  server_.AddFile("/a/gate.json", testsrv::MakeStringContent("{}"));
  server_.SetFault("/a/gate.json", stall);
  manager_.SetMirrors({Url("/a/"), Url("/b/")});
  MemoryOutcome outcome;
  std::thread worker([&] { manager_.DownloadMemory("gate.json", "", outcome.Callback(), 1); });
  ASSERT_TRUE(server_.WaitForRequest(
      [](const testsrv::RequestRecord& r) { return r.path == "/a/gate.json"; }, 30000));
  manager_.Stop();
  worker.join();
  EXPECT_FALSE(outcome.called);
  EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST(DownloadTlsTest, PeersAreVerifiedAgainstTheConfiguredCa) {
  TempFolder dir;
  testsrv::TlsFiles tls;
  ASSERT_TRUE(testsrv::GenerateTlsFiles(dir.path(), &tls));
  testsrv::TestServer server;
  ASSERT_TRUE(server.Start(0, tls.serverCert, tls.serverKey));
  const int64_t size = 200000;
  auto content = testsrv::MakePatternContent(size, 11);
  server.AddFile("/m/file.bin", content);
  server.AddFile("/m/gate.json", testsrv::MakeStringContent("{\"gate\":true}"));

  RecordingHost trusting;
  trusting.caFile = tls.caCert;
  DownloadManager manager;
  manager.Init(&trusting);
  manager.SetMirrors({server.BaseUrl() + "/m/"});
  MemoryOutcome gate;
  manager.DownloadMemory("gate.json", "", gate.Callback(), 1);
  EXPECT_EQ(gate.result, kDownloadOk) << gate.message;
  EXPECT_EQ(gate.body, "{\"gate\":true}");
  FileOutcome file;
  manager.DownloadFile("file.bin", dir.Join("file.bin"), testsrv::ContentMd5(*content), size,
                       file.Callback(), nullptr, 1);
  ASSERT_TRUE(PumpUntil(manager, [&] { return file.called; }));
  EXPECT_EQ(file.result, kDownloadOk) << file.message;

  // Another CA does not know this server.
  TempFolder otherDir;
  testsrv::TlsFiles otherTls;
  ASSERT_TRUE(testsrv::GenerateTlsFiles(otherDir.path(), &otherTls));
  RecordingHost stranger;
  stranger.caFile = otherTls.caCert;
  DownloadManager other;
  other.Init(&stranger);
  other.SetMirrors({server.BaseUrl() + "/m/"});
  MemoryOutcome refused;
  other.DownloadMemory("gate.json", "", refused.Callback(), 1);
  EXPECT_EQ(refused.result, kDownloadStartFailed);
  EXPECT_TRUE(refused.body.empty());
  FileOutcome refusedFile;
  other.DownloadFile("file.bin", dir.Join("other.bin"), testsrv::ContentMd5(*content), size,
                     refusedFile.Callback(), nullptr, 1);
  ASSERT_TRUE(PumpUntil(other, [&] { return refusedFile.called; }));
  EXPECT_EQ(refusedFile.result, kDownloadTransferFailed);
  EXPECT_NE(refusedFile.message.find(std::to_string(CURLE_PEER_FAILED_VERIFICATION)),
            std::string::npos)
      << refusedFile.message;
}

// Plain schemes only, also where a redirect points.
TEST_F(DownloadRequestsTest, OnlyHttpAndHttpsAreFollowed) {
  manager_.SetMirrors({"file:///etc/"});
  MemoryOutcome local;
  manager_.DownloadMemory("hostname", "", local.Callback(), 1);
  EXPECT_EQ(local.result, kDownloadStartFailed);
  EXPECT_TRUE(local.body.empty());

  testsrv::Fault redirect;
  redirect.status = 302;
  redirect.location = "file:///etc/hostname";
  server_.AddFile("/a/hostname", testsrv::MakeStringContent("x"));
  server_.SetFault("/a/hostname", redirect);
  manager_.SetMirrors({Url("/a/")});
  MemoryOutcome redirected;
  manager_.DownloadMemory("hostname", "", redirected.Callback(), 1);
  EXPECT_EQ(redirected.result, kDownloadStartFailed);
  EXPECT_EQ(redirected.message, curl_easy_strerror(CURLE_UNSUPPORTED_PROTOCOL));
  EXPECT_TRUE(redirected.body.empty());

  // A redirect to another http path is followed.
  redirect.location = Url("/b/real");
  server_.SetFault("/a/moved", redirect);
  server_.AddFile("/a/moved", testsrv::MakeStringContent("x"));
  server_.AddFile("/b/real", testsrv::MakeStringContent("real"));
  MemoryOutcome moved;
  manager_.DownloadMemory("moved", "", moved.Callback(), 1);
  EXPECT_EQ(moved.result, kDownloadOk);
  EXPECT_EQ(moved.body, "real");
}

}  // namespace
