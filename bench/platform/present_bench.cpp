// Presenting a 1340 x 750 launcher-sized window: MIT-SHM against XPutImage,
// opaque and with a constant alpha (the fade), and beside them a plain Xlib
// loop that does the fade's work itself (scale every channel, XShmPutImage,
// XSync) as the peer. Prints, after the table, the minimum and median time a
// frame of each and the launcher's time over the peer's: 1.0 means as fast
// as the plain loop, more is slower. Needs an X display, e.g. under
// xvfb-run. Rounds of the contenders are interleaved (--rounds=N, default 7).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <benchmark/benchmark.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/x11/x11_backend.h"

namespace {

using platform::x11::PresentMode;
using platform::x11::X11Backend;

constexpr int kWidth = 1340;
constexpr int kHeight = 750;
constexpr int kFadeAlpha = 128;

std::vector<uint32_t> TestPicture() {
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  return pixels;
}

bool HaveDisplay(benchmark::State& state) {
  const char* display = std::getenv("DISPLAY");
  if (display && *display) return true;
  state.SkipWithError("no X display (run under xvfb-run)");
  return false;
}

void BM_Present(benchmark::State& state, PresentMode mode) {
  if (!HaveDisplay(state)) return;
  X11Backend::Options options;
  options.present_mode = mode;
  auto backend = X11Backend::Open(options);
  if (!backend) {
    state.SkipWithError("cannot open the display or it has no 32-bit visual");
    return;
  }
  platform::NativeWindowParams params;
  params.class_name = "PresentBench";
  params.rect = platform::Rect{0, 0, kWidth, kHeight};
  const platform::NativeWindow window = backend->CreateNativeWindow(params);
  backend->ShowNativeWindow(window, platform::ShowCommand::kShowNoActivate);
  XSync(backend->display(), False);
  backend->DispatchEvents();

  std::vector<uint32_t> pixels = TestPicture();
  const auto alpha = static_cast<uint8_t>(state.range(0));
  for (auto _ : state) {
    backend->Present(window, platform::PresentBuffer{pixels.data(), kWidth, kHeight, kWidth * 4, alpha});
    // Count a frame only once the server has it (a shared-memory present
    // waits for that itself).
    if (!backend->UsingSharedMemory(window)) XSync(backend->display(), False);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["shm"] = backend->UsingSharedMemory(window) ? 1 : 0;
  backend->DestroyNativeWindow(window);
}

// The peer: an ARGB window and a shared-memory image made with Xlib alone,
// each frame scaled byte by byte in a plain loop the compiler vectorises.
void BM_PlainXlibFade(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  Display* display = XOpenDisplay(nullptr);
  XVisualInfo info;
  if (!display || !XShmQueryExtension(display) ||
      !XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &info)) {
    if (display) XCloseDisplay(display);
    state.SkipWithError("no display with MIT-SHM and a 32-bit visual");
    return;
  }
  const Window root = DefaultRootWindow(display);
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display, root, info.visual, AllocNone);
  const Window window = XCreateWindow(display, root, 0, 0, kWidth, kHeight, 0, 32, InputOutput, info.visual,
                                      CWColormap | CWBorderPixel | CWBackPixel, &attributes);
  XMapWindow(display, window);
  const GC gc = XCreateGC(display, window, 0, nullptr);
  XShmSegmentInfo shm{};
  XImage* image = XShmCreateImage(display, info.visual, 32, ZPixmap, nullptr, &shm, kWidth, kHeight);
  shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * kHeight, IPC_CREAT | 0600);
  shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  shm.readOnly = False;
  XShmAttach(display, &shm);
  XSync(display, False);
  shmctl(shm.shmid, IPC_RMID, nullptr);

  const std::vector<uint32_t> pixels = TestPicture();
  const auto* source = reinterpret_cast<const uint8_t*>(pixels.data());
  auto* target = reinterpret_cast<uint8_t*>(image->data);
  const size_t bytes = pixels.size() * 4;
  const auto alpha = static_cast<uint16_t>(state.range(0));
  for (auto _ : state) {
    for (size_t i = 0; i < bytes; ++i) {
      // c * alpha / 255, rounded, in 16 bits: the compiler works 16 bytes at a time.
      const auto t = static_cast<uint16_t>(source[i] * alpha + 128);
      target[i] = static_cast<uint8_t>(static_cast<uint16_t>(t + (t >> 8)) >> 8);
    }
    XShmPutImage(display, window, gc, image, 0, 0, 0, 0, kWidth, kHeight, False);
    XSync(display, False);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  XShmDetach(display, &shm);
  XSync(display, False);
  shmdt(shm.shmaddr);
  image->data = nullptr;
  XDestroyImage(image);
  XFreeGC(display, gc);
  XDestroyWindow(display, window);
  XFreeColormap(display, attributes.colormap);
  XCloseDisplay(display);
}

BENCHMARK_CAPTURE(BM_Present, SharedMemory, PresentMode::kSharedMemory)->Arg(255)->Arg(kFadeAlpha)->UseRealTime();
BENCHMARK_CAPTURE(BM_Present, PutImage, PresentMode::kPutImage)->Arg(255)->Arg(kFadeAlpha)->UseRealTime();
BENCHMARK(BM_PlainXlibFade)->Arg(kFadeAlpha)->UseRealTime();

// Keeps the time a frame of every round of each benchmark while the console
// shows the usual table.
class RoundCollector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      rounds_[run.benchmark_name()].push_back(run.GetAdjustedRealTime() / 1e6);  // ns to ms
    }
  }
  // Minimum and median of a benchmark's rounds, ms; false when it has none.
  bool MinMedian(const std::string& name, double& min, double& median) const {
    auto found = rounds_.find(name);
    if (found == rounds_.end() || found->second.empty()) return false;
    std::vector<double> times = found->second;
    std::sort(times.begin(), times.end());
    min = times.front();
    median = times[times.size() / 2];
    return true;
  }

 private:
  std::map<std::string, std::vector<double>> rounds_;
};

}  // namespace

int main(int argc, char** argv) {
  // --rounds=N (default 7): the whole set runs N times, so the contenders'
  // rounds alternate.
  int round_count = 7;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
      round_count = std::max(1, std::atoi(argv[i] + 9));
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RoundCollector reporter;
  for (int round = 0; round < round_count; ++round) benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  char ours[64];
  char peer[64];
  std::snprintf(ours, sizeof(ours), "BM_Present/SharedMemory/%d/real_time", kFadeAlpha);
  std::snprintf(peer, sizeof(peer), "BM_PlainXlibFade/%d/real_time", kFadeAlpha);
  double our_min = 0, our_median = 0, peer_min = 0, peer_median = 0;
  if (!reporter.MinMedian(ours, our_min, our_median) || !reporter.MinMedian(peer, peer_min, peer_median)) {
    std::printf("\nconstant alpha %d: no rounds of both contenders to compare\n", kFadeAlpha);
    return 0;
  }
  std::printf("\nconstant alpha %d at %dx%d over MIT-SHM, ms a frame (min / median of rounds):\n", kFadeAlpha,
              kWidth, kHeight);
  std::printf("  launcher present     %7.3f / %7.3f\n", our_min, our_median);
  std::printf("  plain Xlib loop      %7.3f / %7.3f\n", peer_min, peer_median);
  std::printf("  ratio launcher/plain %7.2f / %7.2f   (goal: at most 1.10)\n", our_min / peer_min,
              our_median / peer_median);
  return 0;
}
