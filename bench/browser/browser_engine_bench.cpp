// The browser engine as the launcher drives it: start to first answer, start
// to a loaded page, a page-bridge round trip, and the engine's memory and
// idle CPU with one static page. Pages come from a server on 127.0.0.1.

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "browser/cef_manager.h"
#include "tests/browser/engine_harness.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

using browser_test::OnUi;
using browser_test::Recorder;
using jov_comp::BrowserHandler;
using jov_comp::CefManager;

testsrv::TestServer* Server() {
  static testsrv::TestServer* server = [] {
    auto* s = new testsrv::TestServer();
    s->Start();
    s->AddFile("/page.html", testsrv::MakeStringContent(
                                 "<html><head><title>static</title></head>"
                                 "<body><h1>News</h1><p>Static text.</p></body></html>"));
    return s;
  }();
  return server;
}

browser_test::UiThread* Ui() {
  static auto* ui = new browser_test::UiThread();
  return ui;
}

std::shared_ptr<BrowserHandler> OpenPage(Recorder* recorder) {
  const std::string url = Server()->BaseUrl() + "/page.html";
  auto handler = OnUi([recorder] {
    auto h = BrowserHandler::Create();
    h->SetHandlerDelegate(recorder);
    h->CreateBrowser();
    return h;
  });
  recorder->WaitFor("created");
  OnUi([handler, url] { handler->LoadURL(handler->GetBrowser(), url); });
  recorder->WaitFor("end:200");
  return handler;
}

void ClosePage(std::shared_ptr<BrowserHandler>& handler, Recorder* recorder) {
  OnUi([&handler] { handler->CloseAllBrowser(); });
  recorder->WaitFor("closed");
  OnUi([&handler] {
    handler->SetHandlerDelegate(nullptr);
    handler.reset();
  });
}

bool Start(const TempFolder& temp) {
  const std::string data = temp.File("cef_temp");
  return OnUi([data] { return CefManager::GetInstance()->Initialize(data); });
}

void Stop() {
  OnUi([] { CefManager::GetInstance()->Shutdown(); });
}

void BM_SpawnToFirstAnswer(benchmark::State& state) {
  Ui();
  for (auto _ : state) {
    TempFolder temp;
    if (!Start(temp)) state.SkipWithError("the engine did not start");
    state.PauseTiming();
    Stop();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SpawnToFirstAnswer)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_SpawnToLoadedPage(benchmark::State& state) {
  Ui();
  Server();
  for (auto _ : state) {
    TempFolder temp;
    Recorder recorder;
    if (!Start(temp)) state.SkipWithError("the engine did not start");
    auto handler = OpenPage(&recorder);
    state.PauseTiming();
    ClosePage(handler, &recorder);
    Stop();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SpawnToLoadedPage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Page calls "echo", the launcher answers, the page's callback runs and the
// evaluation that started it returns: one launcher-to-page hop more than a
// page call alone.
void BM_BridgeRoundTrip(benchmark::State& state) {
  Ui();
  TempFolder temp;
  Recorder recorder;
  recorder.bridge->RegisterCppFunc(
      "echo", [](const std::string& params,
                 const jov_comp::CefJSBridge::LauncherResultReporter& reply) { reply(false, params); });
  if (!Start(temp)) state.SkipWithError("the engine did not start");
  auto handler = OpenPage(&recorder);
  const std::string script =
      "new Promise(r => JovCefWebInstance.call('echo', {a: 1}, (e, v) => r(v.a)))";
  for (auto _ : state) {
    auto done = std::make_shared<std::promise<void>>();
    auto future = done->get_future();
    OnUi([handler, script, done] {
      handler->EvaluateScript(handler->GetBrowser(), script,
                              [done](const Json::Value*) { done->set_value(); });
    });
    future.wait();
  }
  ClosePage(handler, &recorder);
  Stop();
}
BENCHMARK(BM_BridgeRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseRealTime();

std::vector<pid_t> EngineTree(pid_t root) {
  std::vector<pid_t> tree = {root};
  for (size_t i = 0; i < tree.size(); ++i) {
    // Each thread lists the children it started.
    const std::string tasks = "/proc/" + std::to_string(tree[i]) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    while (dirent* task = dir ? ::readdir(dir) : nullptr) {
      if (task->d_name[0] == '.') continue;
      std::ifstream children(tasks + "/" + task->d_name + "/children");
      pid_t child;
      while (children >> child) tree.push_back(child);
    }
    if (dir) ::closedir(dir);
  }
  return tree;
}

int64_t PssKiB(pid_t pid) {
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  int64_t value;
  std::string line;
  while (std::getline(rollup, line)) {
    std::istringstream fields(line);
    if (fields >> key >> value && key == "Pss:") return value;
  }
  return 0;
}

int64_t CpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  int64_t utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoll(field);
    if (i == 15) stime = std::stoll(field);
  }
  return utime + stime;
}

// The engine with one static page: its PSS (all its processes) and the
// share of one core it uses while nothing happens, over a two-second window.
void BM_EngineMemoryAndIdleCpu(benchmark::State& state) {
  Ui();
  TempFolder temp;
  Recorder recorder;
  if (!Start(temp)) state.SkipWithError("the engine did not start");
  auto handler = OpenPage(&recorder);
  const pid_t engine = OnUi([] { return CefManager::GetInstance()->engine_pid(); });
  double pss_mib = 0, cpu_share = 0;
  const long ticks_per_second = ::sysconf(_SC_CLK_TCK);
  for (auto _ : state) {
    int64_t pss = 0, before = 0, after = 0;
    const auto tree = EngineTree(engine);
    for (pid_t pid : tree) pss += PssKiB(pid);
    for (pid_t pid : tree) before += CpuTicks(pid);
    const auto start = std::chrono::steady_clock::now();
    // A measurement window, not a wait for an event.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (pid_t pid : EngineTree(engine)) after += CpuTicks(pid);
    pss_mib = pss / 1024.0;
    cpu_share = (after - before) / static_cast<double>(ticks_per_second) / seconds;
  }
  state.counters["pss_MiB"] = pss_mib;
  state.counters["processes"] = static_cast<double>(EngineTree(engine).size());
  state.counters["idle_cpu_percent_of_core"] = cpu_share * 100.0;
  ClosePage(handler, &recorder);
  Stop();
}
BENCHMARK(BM_EngineMemoryAndIdleCpu)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
