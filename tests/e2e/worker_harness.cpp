#include <algorithm>
#include "tests/e2e/worker_harness.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include <json/json.h>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include <gtest/gtest.h>

#include "platform/disk/disk_space.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/apply_update_state.h"
#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/flow/exception_state.h"
#include "project/Launcher/core/misc_thread.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/core/worker_ticker.h"
#include "project/Launcher/services/download_manager.h"
#include "tests/core/test_thread.h"

namespace {

constexpr WindowHandle kMainWindow = 0x5151;

WorkerHarness* g_harness = nullptr;

// A state after the transfers: records how the flow got there.
class FlowEndState : public State {
 public:
  FlowEndState(int32_t typeId, int32_t flow, FlowEnd end)
      : State(flow), typeId_(typeId), end_(std::move(end)) {}
  int32_t TypeId() const override { return typeId_; }
  void Enter(State* previous) override {
    end_.typeId = typeId_;
    if (end_.flow < 0) end_.flow = previous ? previous->mode : -1;
    if (g_harness) g_harness->RecordFlowEnd(end_);
  }
  void Update() override {}
  void Leave(State*) override {}

 private:
  int32_t typeId_;
  FlowEnd end_;
};

// The launcher's idle and error states, recording their entry.
class RecordedEnterGameState : public EnterGameState {
 public:
  void Enter(State* previous) override {
    FlowEnd end;
    end.typeId = kEnterGameStateId;
    end.flow = previous ? previous->mode : -1;
    EnterGameState::Enter(previous);
    if (g_harness) g_harness->RecordFlowEnd(end);
  }
};

class RecordedExceptionState : public ExceptionState {
 public:
  RecordedExceptionState(const State& failed, bool offerRetry)
      : ExceptionState(failed.errorCode, failed.errorText, failed.detail, offerRetry),
        flow_(failed.mode) {}
  void Enter(State* previous) override {
    ExceptionState::Enter(previous);
    FlowEnd end;
    end.typeId = kExceptionStateId;
    end.flow = flow_;
    end.errorCode = errorCode;
    end.errorText = errorText;
    end.detail = detail;
    end.detailText = ErrorDetailText();
    end.offerRetry = offerRetry != 0;
    if (g_harness) g_harness->RecordFlowEnd(end);
  }

 private:
  int32_t flow_;
};


// Stops |thread| (its loop quits, then the join); a stop that takes longer
// than a minute says so in the log before ctest's limit ends the test.
void StopReportingDelay(kbase::FrameworkThread& thread, const char* name) {
  std::promise<void> stopped;
  std::future<void> done = stopped.get_future();
  std::thread watch([&done, name] {
    while (done.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
      std::fprintf(stderr, "the %s has not stopped yet\n", name);
    }
  });
  thread.Stop();
  stopped.set_value();
  watch.join();
}

}  // namespace

class WorkerHarness::UiThread : public RegisteredTestThread {
 public:
  UiThread() : RegisteredTestThread(kThreadUI) {}
};

// The worker as the launcher runs it (registration, the store's start, the
// tick of MiscThread as WorkerTicker runs it), with the usage-event
// endpoints on the publisher.
class WorkerHarness::Worker : public kbase::FrameworkThread {
 public:
  Worker(LauncherStore& store, std::string track, std::string attribution)
      : kbase::FrameworkThread("MiscThread"),
        store_(store),
        ticker_(store),
        track_(std::move(track)),
        attribution_(std::move(attribution)) {}
  ~Worker() override { Stop(); }

  // As the launcher's worker does before it quits: a busy ticker keeps its
  // loop from ever reaching the idle point at which the quit is honoured.
  void StopTicking() { ticker_.Stop(); }

 protected:
  void Init() override {
    kbase::ThreadRegistry::GetInstance()->RegisterCurrentThread(kThreadMisc);
    store_.StartWorker();
    DownloadManager::GetInstance().SetEndpointsForTesting(track_, attribution_);
    store_.firstTick = false;
    ticker_.Start();
  }
  void Cleanup() override {
    ticker_.Stop();
    store_.StopWorker();
    kbase::ThreadRegistry::GetInstance()->UnregisterCurrentThread();
  }

 private:
  LauncherStore& store_;
  WorkerTicker ticker_;
  std::string track_;
  std::string attribution_;
};

class WorkerHarness::RecordingDialogs : public DialogHost {
 public:
  explicit RecordingDialogs(WorkerHarness* harness) : harness_(harness) {}
  bool OpenMessageBox(WindowHandle, const MessageBoxContent& content,
                      AnswerCallback answer) override {
    return harness_->RecordOpenBox(kbase::UTF16ToUTF8(content.content.text), std::move(answer));
  }
  bool OpenOptionsBox(WindowHandle, const OptionsBoxContent& content, AnswerCallback) override {
    harness_->RecordBox(content.contentKey);
    return false;
  }

 private:
  WorkerHarness* harness_;
};

WorkerHarness::WorkerHarness(const std::string& certFile, const std::string& keyFile) {
  std::string error;
  if (!publisher::GenerateContent(tmp_.File("content"), &content_, &error)) {
    ADD_FAILURE() << error;
  }
  publisher_ = std::make_unique<publisher::LocalPublisher>(content_);
  if (!publisher_->Start(0, certFile, keyFile)) ADD_FAILURE() << "publisher did not start";
  std::filesystem::create_directories(programFolder());
  std::filesystem::create_directories(gameFolder());
  oldFolder_ = std::filesystem::current_path().string();
  g_harness = this;
}

WorkerHarness::~WorkerHarness() {
  Stop();
  publisher_->Stop();
  g_harness = nullptr;
  std::error_code ec;
  std::filesystem::current_path(oldFolder_, ec);
  platform::SetDiskSpaceQueryForTesting(nullptr);
}

LauncherStore& WorkerHarness::store() { return LauncherStore::GetInstance(); }

void WorkerHarness::InstallLauncher(const std::string& version) {
  std::string error;
  if (!publisher::InstallTree(content_.LauncherFolder(version), programFolder(), &error)) {
    ADD_FAILURE() << error;
  }
}

void WorkerHarness::InstallGame(const std::string& version) {
  std::string error;
  if (!publisher::InstallTree(content_.GameFolder(version), gameFolder(), &error)) {
    ADD_FAILURE() << error;
  }
}

void WorkerHarness::SetSetting(const std::string& key, const std::string& value) {
  extraSettings_.emplace_back(key, value);
}

void WorkerHarness::Start() {
  std::filesystem::current_path(programFolder());
  std::filesystem::create_directories(programFolder() + "save");
  Json::Value setting;
  {
    Json::CharReaderBuilder reader;
    std::istringstream in(publisher_->SettingJson(withDlcUrls_));
    std::string errors;
    Json::parseFromStream(reader, in, &setting, &errors);
  }
  for (const auto& [key, value] : extraSettings_) setting[key] = value;
  std::ofstream(programFolder() + "save/setting.json") << setting.toStyledString();

  // Room for every update, whatever the machine has.
  platform::SetDiskSpaceQueryForTesting([](const std::string&, platform::DiskSpace* out) {
    out->total = uint64_t{1} << 40;
    out->available = uint64_t{1} << 39;
    return true;
  });

  LauncherStore& store = this->store();
  store.SetProgramLocation(kbase::UTF8ToUTF16(programFolder()),
                           kbase::UTF8ToUTF16(programFolder() + "launcher.exe"));
  WindowHooks hooks;
  hooks.sendMessage = [this](WindowHandle, uint32_t message, uint64_t wParam, int64_t lParam) {
    RecordMessage({message, wParam, lParam});
    if (answer_) answer_({message, wParam, lParam});
  };
  store.SetWindowHooks(hooks);
  dialogs_ = std::make_unique<RecordingDialogs>(this);
  store.SetDialogHost(dialogs_.get());
  InstallUpdateFlow(store);
  SetAddressEchoUrl(publisher_->EchoUrl());
  // The launcher's transfers; the states that end a flow are stand-ins.
  FlowStates states = GetFlowStates();
  states.reloadSkinPackage = nullptr;
  states.applyUpdate = [](int32_t mode) -> std::unique_ptr<State> {
    FlowEnd end;
    end.flow = mode;
    return std::make_unique<FlowEndState>(kApplyUpdateStateId, mode, end);
  };
  states.enterGame = []() -> std::unique_ptr<State> {
    return std::make_unique<FlowEndState>(kEnterGameStateId, kGameFlow, FlowEnd());
  };
  states.exception = [](const State& failed, bool offerRetry) -> std::unique_ptr<State> {
    FlowEnd end;
    end.flow = failed.mode;
    end.errorCode = failed.errorCode;
    end.errorText = failed.errorText;
    end.detail = failed.detail;
    end.detailText = failed.ErrorDetailText();
    end.offerRetry = offerRetry;
    return std::make_unique<FlowEndState>(kExceptionStateId, kGameFlow, end);
  };
  if (realFlowEnds_) {
    states.applyUpdate = [](int32_t mode) -> std::unique_ptr<State> {
      return std::make_unique<ApplyUpdateState>(mode);
    };
    states.enterGame = []() -> std::unique_ptr<State> {
      return std::make_unique<RecordedEnterGameState>();
    };
    states.exception = [](const State& failed, bool offerRetry) -> std::unique_ptr<State> {
      return std::make_unique<RecordedExceptionState>(failed, offerRetry);
    };
    states.reloadSkinPackage = [](std::function<void()> then) {
      LauncherStore::GetInstance().ReloadSkinPackage(std::move(then));
    };
  }
  SetFlowStates(states);

  store.Init();
  store.SetGamePath(kbase::UTF8ToUTF16(gameFolder()));
  ui_ = std::make_unique<UiThread>();
  ui_->Start();
  RunOn(kThreadUI, [&store] { store.RegisterMainWindow(kMainWindow); });
  worker_ = std::make_unique<Worker>(store, publisher_->TrackUrl(), publisher_->AttributionUrl());
  worker_->Start();
}

void WorkerHarness::Stop() {
  if (worker_) {
    RunOn(kThreadMisc, [this] { worker_->StopTicking(); });
    StopReportingDelay(*worker_, "worker");
    worker_.reset();
  }
  if (ui_) {
    RunOn(kThreadUI, [this] { store().RegisterMainWindow(0); });
    StopReportingDelay(*ui_, "UI thread");
    ui_.reset();
  }
  store().SetDialogHost(nullptr);
}

void WorkerHarness::RunOnWorker(std::function<void()> task) { RunOn(kThreadMisc, std::move(task)); }

void WorkerHarness::RunOnUi(std::function<void()> task) { RunOn(kThreadUI, std::move(task)); }

void WorkerHarness::StartGameCheck() {
  RunOn(kThreadUI, [this] { store().StartGameCheck(false, false); });
}

bool WorkerHarness::WaitForFlowEnd(FlowEnd* end, std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  if (!changed_.wait_for(hold, timeout, [this] { return ends_.size() > endsTaken_; })) return false;
  *end = ends_[endsTaken_++];
  return true;
}

void WorkerHarness::RecordFlowEnd(const FlowEnd& end) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    ends_.push_back(end);
  }
  changed_.notify_all();
}

void WorkerHarness::RecordMessage(const RelayedMessage& message) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.push_back(message);
  }
  changed_.notify_all();
}

bool WorkerHarness::WaitForMessage(uint32_t message, uint64_t wParam, int64_t lParam,
                                   std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, timeout, [&] {
    return std::any_of(messages_.begin(), messages_.end(), [&](const RelayedMessage& m) {
      return m.message == message && m.wParam == wParam && m.lParam == lParam;
    });
  });
}

void WorkerHarness::RecordBox(const std::string& what) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    boxes_.push_back(what);
    openBoxes_.emplace_back();
  }
  changed_.notify_all();
}

bool WorkerHarness::RecordOpenBox(const std::string& what, std::function<void(int32_t)> answer) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    boxes_.push_back(what);
    openBoxes_.push_back(keepBoxesOpen_ ? std::move(answer) : nullptr);
  }
  changed_.notify_all();
  return keepBoxesOpen_;
}

bool WorkerHarness::WaitForBoxes(size_t count, std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, timeout, [this, count] { return boxes_.size() >= count; });
}

void WorkerHarness::AnswerBox(size_t index, int32_t answer) {
  std::function<void(int32_t)> callback;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (index < openBoxes_.size()) callback = std::move(openBoxes_[index]);
  }
  if (callback) RunOn(kThreadUI, [callback, answer] { callback(answer); });
}

std::vector<RelayedMessage> WorkerHarness::Messages() const {
  // Whatever the worker relayed before this call is delivered first.
  if (ui_) RunOn(kThreadUI, [] {});
  std::lock_guard<std::mutex> hold(lock_);
  return messages_;
}

std::vector<std::string> WorkerHarness::BoxesAsked() const {
  if (ui_) RunOn(kThreadUI, [] {});
  std::lock_guard<std::mutex> hold(lock_);
  return boxes_;
}

std::vector<std::string> WorkerHarness::RequestTargets(size_t first) const {
  std::vector<std::string> targets;
  const auto requests = publisher_->Requests();
  for (size_t i = first; i < requests.size(); ++i) {
    targets.push_back(requests[i].method + " " + requests[i].target +
                      (requests[i].range.empty() ? "" : " " + requests[i].range));
  }
  return targets;
}

std::string FileMd5Hex(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return publisher::Md5Hex(bytes.str());
}
