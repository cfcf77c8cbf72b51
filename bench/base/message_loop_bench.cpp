// Cross-thread posting (post-to-run latency, throughput) on the worker's
// default loop and on a UI loop, and the CPU an idle UI loop uses: it must
// sleep, not spin.
//
//   build/release/bench/base/base_message_loop_bench

#include <time.h>

#include <atomic>
#include <future>
#include <thread>

#include <benchmark/benchmark.h>

#include "base/framework/message_loop_proxy.h"
#include "base/thread/framework_thread.h"
#include "base/time/task_time_clock.h"

namespace {

using kbase::FrameworkThread;
using kbase::MessageLoopProxy;

// A UI loop on a thread of its own (the program runs it on the main thread).
class UIThread : public FrameworkThread {
 public:
  UIThread() : FrameworkThread("MainThread") {}
  ~UIThread() override {
    Stop();
    if (runner_.joinable())
      runner_.join();
  }
  void StartUI() {
    runner_ = std::thread([this] { RunOnCurrentThread(); });
    ready_.get_future().wait();
  }

 protected:
  void Init() override { ready_.set_value(); }

 private:
  std::promise<void> ready_;
  std::thread runner_;
};

// Runs |body| with the proxy of a worker loop (type 0) or a UI loop (type 1).
template <typename Body>
void WithLoop(int type, Body body) {
  if (type == 0) {
    FrameworkThread worker("MiscThread");
    worker.Start();
    body(worker.message_loop_proxy());
    worker.Stop();
  } else {
    UIThread ui;
    ui.StartUI();
    body(ui.message_loop_proxy());
    ui.Stop();
  }
}

void BM_PostToRunLatency(benchmark::State& state) {
  WithLoop(static_cast<int>(state.range(0)), [&](std::shared_ptr<MessageLoopProxy> proxy) {
    std::atomic<int> done{0};
    for (auto _ : state) {
      done.store(0);
      proxy->PostTask([&done] {
        done.store(1);
        done.notify_one();
      });
      done.wait(0);
    }
  });
  state.SetLabel(state.range(0) == 0 ? "default loop" : "UI loop");
}
BENCHMARK(BM_PostToRunLatency)->Arg(0)->Arg(1)->UseRealTime();

void BM_PostThroughput(benchmark::State& state) {
  constexpr int kBatch = 10000;
  WithLoop(static_cast<int>(state.range(0)), [&](std::shared_ptr<MessageLoopProxy> proxy) {
    for (auto _ : state) {
      std::atomic<int> remaining{kBatch};
      for (int i = 0; i < kBatch; ++i) {
        proxy->PostTask([&remaining] {
          if (remaining.fetch_sub(1) == 1)
            remaining.notify_one();
        });
      }
      for (int left = remaining.load(); left != 0; left = remaining.load())
        remaining.wait(left);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
  });
  state.SetLabel(state.range(0) == 0 ? "default loop" : "UI loop");
}
BENCHMARK(BM_PostThroughput)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// An idle UI loop with a delayed task due in three seconds: the process's
// CPU time over those seconds is what the sleeping loop costs.
void BM_IdleUILoopCpu(benchmark::State& state) {
  constexpr int64_t kIdleMicroseconds = 3000000;
  for (auto _ : state) {
    UIThread ui;
    ui.StartUI();
    std::promise<int64_t> woke;
    double cpu_before = ProcessCpuSeconds();
    int64_t start = kbase::TaskTimeClock::Now();
    ui.message_loop_proxy()->PostDelayedTask(
        [&woke] { woke.set_value(kbase::TaskTimeClock::Now()); },
        kbase::TimeDelta(kIdleMicroseconds));
    int64_t ran_at = woke.get_future().get();
    double cpu_seconds = ProcessCpuSeconds() - cpu_before;
    double wall_seconds = static_cast<double>(kbase::TaskTimeClock::Now() - start) / 1e6;
    state.counters["process_cpu_ms"] = cpu_seconds * 1e3;
    state.counters["cpu_percent"] = 100.0 * cpu_seconds / wall_seconds;
    // How late the delayed task ran: the wait ends at its exact time.
    state.counters["late_us"] = static_cast<double>(ran_at - start - kIdleMicroseconds);
    ui.Stop();
  }
}
BENCHMARK(BM_IdleUILoopCpu)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
