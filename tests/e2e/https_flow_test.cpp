// The update flow over HTTPS: the store and the worker against the local
// publisher speaking TLS with a certificate of a CA made for the test. The
// launcher trusts the CA named by "VDL_CA_FILE", else the system's store.

#include <gtest/gtest.h>

#include <curl/curl.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/download_task.h"
#include "tests/support/temp_folder.h"
#include "tests/e2e/worker_harness.h"
#include "tools/test_server/test_server.h"

namespace {

using publisher::FileSet;

// Sets "VDL_CA_FILE" (or removes it for an empty value) and puts back what
// was there before.
class ScopedCaFileVariable {
 public:
  explicit ScopedCaFileVariable(const std::string& file) {
    if (const char* old = ::getenv(kName)) old_ = old;
    Apply(file.empty() ? std::nullopt : std::optional<std::string>(file));
  }
  ~ScopedCaFileVariable() { Apply(old_); }
  ScopedCaFileVariable(const ScopedCaFileVariable&) = delete;
  ScopedCaFileVariable& operator=(const ScopedCaFileVariable&) = delete;

 private:
  static constexpr const char* kName = "VDL_CA_FILE";
  static void Apply(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(kName, value->c_str(), 1);
    } else {
      ::unsetenv(kName);
    }
  }
  std::optional<std::string> old_;
};

const std::set<std::string> kChangedFrom1To2 = {
    "Data/StreamingAssets/config.json", "Data/dlc_2.assets", "Data/level0.assets",
    "Data/twin_a.bytes", "Data/twin_b.bytes", "KVOR.exe"};

class HttpsFlowTest : public ::testing::Test {
 protected:
  // The publisher's certificate and key, and another CA that signed neither.
  void SetUp() override {
    std::filesystem::create_directories(certs_.File("publisher"));
    std::filesystem::create_directories(certs_.File("other"));
    ASSERT_TRUE(testsrv::GenerateTlsFiles(certs_.File("publisher"), &publisherTls_));
    ASSERT_TRUE(testsrv::GenerateTlsFiles(certs_.File("other"), &otherTls_));
  }

  // Starts the launcher trusting |caFile| (empty: the system's store) with
  // a current launcher and the game at its first version; the launcher's own
  // check runs first and ends where the game flow can start.
  void StartTrusting(const std::string& caFile) {
    caVariable_.emplace(caFile);
    h_ = std::make_unique<WorkerHarness>(publisherTls_.serverCert, publisherTls_.serverKey);
    ASSERT_TRUE(h_->publisher().server().tls());
    ASSERT_EQ(h_->publisher().BaseUrl().rfind("https://127.0.0.1:", 0), 0u);
    h_->InstallLauncher(publisher::kLauncherVersionOld);
    h_->publisher().ServeLauncherVersion(publisher::kLauncherVersionOld);
    h_->InstallGame(publisher::kGameVersion1);
    h_->Start();
    FlowEnd end;
    ASSERT_TRUE(h_->WaitForFlowEnd(&end));
    ASSERT_EQ(end.typeId, kEnterGameStateId);
    ASSERT_EQ(end.flow, kLauncherFlow);
  }

  FlowEnd RunGameFlow() {
    h_->StartGameCheck();
    FlowEnd end;
    EXPECT_TRUE(h_->WaitForFlowEnd(&end));
    return end;
  }

  TempFolder certs_;
  testsrv::TlsFiles publisherTls_;
  testsrv::TlsFiles otherTls_;
  // Declared before the harness: the variable is put back once the worker
  // has stopped.
  std::optional<ScopedCaFileVariable> caVariable_;
  std::unique_ptr<WorkerHarness> h_;
};

TEST_F(HttpsFlowTest, GameUpdateOverHttpsWithTheConfiguredCaLandsEveryFile) {
  StartTrusting(publisherTls_.caCert);
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);
  EXPECT_EQ(end.flow, kGameFlow);
  EXPECT_EQ(end.errorText, "");

  VersionMap update;
  h_->RunOnWorker([&] { update = h_->store().versionMaps["_update_game_version_"]; });
  std::set<std::string> names;
  for (const auto& entry : update) names.insert(entry.first);
  EXPECT_EQ(names, kChangedFrom1To2);

  const FileSet& next = h_->content().gameFiles.at("10077_0_2");
  const FileSet& patches = h_->content().patchLists.at("game:10077_0_1");
  for (const std::string& name : kChangedFrom1To2) {
    if (patches.count(name)) {
      EXPECT_EQ(FileMd5Hex(h_->updateFolder() + name + ".patch"), patches.at(name).md5) << name;
    } else {
      EXPECT_EQ(FileMd5Hex(h_->updateFolder() + name), next.at(name).md5) << name;
    }
  }
  EXPECT_TRUE(h_->BoxesAsked().empty());
}

// A publisher whose CA the launcher does not trust: the system's store alone,
// or a CA file naming another CA.
class UntrustedHttpsFlowTest : public HttpsFlowTest,
                               public ::testing::WithParamInterface<bool> {};

TEST_P(UntrustedHttpsFlowTest, GameFlowEndsInTheErrorStateAsARequestFailure) {
  const bool otherCaFile = GetParam();
  StartTrusting(otherCaFile ? otherTls_.caCert : std::string());
  // The launcher's own check failed at the gate without a box.
  EXPECT_TRUE(h_->BoxesAsked().empty());

  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kExceptionStateId);
  EXPECT_EQ(end.flow, kGameFlow);
  EXPECT_TRUE(end.offerRetry);
  EXPECT_EQ(end.errorCode, kDownloadStartFailed);
  EXPECT_EQ(end.errorText,
            std::string("Request Failed:") + curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION));
  EXPECT_EQ(end.detail.rfind("get/urls?key=WIN10KOREA_10077_0_1&udid=", 0), 0u) << end.detail;
  // No request crossed an unverified connection, and nothing was fetched.
  EXPECT_EQ(h_->RequestCount(), 0u) << ::testing::PrintToString(h_->RequestTargets());
  EXPECT_FALSE(std::filesystem::exists(h_->updateFolder() + "KVOR.exe"));
}

INSTANTIATE_TEST_SUITE_P(CaFiles, UntrustedHttpsFlowTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("AnotherCaFile")
                                             : std::string("SystemStoreOnly");
                         });

}  // namespace
