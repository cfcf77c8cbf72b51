// Frames per second of presenting a 1340 x 750 launcher-sized window:
// MIT-SHM against XPutImage, opaque and with a constant alpha (the fade).
// Needs an X display, e.g. under xvfb-run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "platform/x11/x11_backend.h"

namespace {

using platform::x11::PresentMode;
using platform::x11::X11Backend;

constexpr int kWidth = 1340;
constexpr int kHeight = 750;

void BM_Present(benchmark::State& state, PresentMode mode) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
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

  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  const auto alpha = static_cast<uint8_t>(state.range(0));
  for (auto _ : state) {
    backend->Present(window, platform::PresentBuffer{pixels.data(), kWidth, kHeight, kWidth * 4, alpha});
    // Count a frame only once the server has it.
    XSync(backend->display(), False);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["shm"] = backend->UsingSharedMemory(window) ? 1 : 0;
  backend->DestroyNativeWindow(window);
}

BENCHMARK_CAPTURE(BM_Present, SharedMemory, PresentMode::kSharedMemory)->Arg(255)->Arg(128)->UseRealTime();
BENCHMARK_CAPTURE(BM_Present, PutImage, PresentMode::kPutImage)->Arg(255)->Arg(128)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
