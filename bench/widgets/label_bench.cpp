// Label painting: a title with outline and gradient whose picture is cached
// (goal: 10 us a paint), the first paint of such a ten-character title, when
// the picture is drawn (goal: 2 ms), and a plain 40-character label (goal:
// 40 us).
#include <benchmark/benchmark.h>

#include <memory>

#include "ui/controls/label.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"

namespace {

const ui::UiRect kCanvas{0, 0, 600, 100};

struct Scene {
  Scene() {
    ui::GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    ui::GlobalManager::AddFont(u"title", u"DejaVu Sans", 28, true, false, false, true);
    ui::GlobalManager::AddFont(u"body", u"DejaVu Sans", 14, false, false, false, false);
    ui::GlobalManager::AddTextColor(u"white", 0xFFFFFFFF);
    ui::GlobalManager::AddTextColor(u"gold", 0xFFFFC040);
    ui::GlobalManager::AddTextColor(u"brown", 0xFF603010);
    ui::GlobalManager::AddTextColor(u"black", 0xFF000000);
    canvas = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
    canvas->Resize(kCanvas.Width(), kCanvas.Height());
  }
  ~Scene() {
    canvas.reset();
    ui::GlobalManager::Shutdown();
  }
  std::unique_ptr<ui::Label> EffectTitle(const std::u16string& text) {
    auto label = std::make_unique<ui::Label>();
    label->SetAttribute(u"font", u"title");
    label->SetAttribute(u"gradient_outline", u"brown,black,4");
    label->SetAttribute(u"gradient_text", u"white,gold,0.3,0.3");
    label->SetText(text);
    label->SetPos(ui::UiRect{10, 10, 400, 60});
    return label;
  }
  std::unique_ptr<ui::IRenderContext> canvas;
};

void BM_CachedEffectLabelPaint(benchmark::State& state) {
  Scene scene;
  auto label = scene.EffectTitle(u"Game Title");
  label->Paint(scene.canvas.get(), kCanvas);
  for (auto _ : state) label->Paint(scene.canvas.get(), kCanvas);
}
BENCHMARK(BM_CachedEffectLabelPaint)->Unit(benchmark::kMicrosecond);

void BM_FirstEffectLabelPaint(benchmark::State& state) {
  Scene scene;
  auto label = scene.EffectTitle(u"Game Title");
  // Two texts in turn: every paint draws the picture anew.
  const std::u16string texts[2] = {u"Game Title", u"Game Tales"};
  int turn = 0;
  for (auto _ : state) {
    label->SetText(texts[turn ^= 1]);
    label->Paint(scene.canvas.get(), kCanvas);
  }
}
BENCHMARK(BM_FirstEffectLabelPaint)->Unit(benchmark::kMicrosecond);

void BM_PlainLabelPaint(benchmark::State& state) {
  Scene scene;
  ui::Label label;
  label.SetAttribute(u"font", u"body");
  label.SetAttribute(u"normaltextcolor", u"white");
  label.SetText(u"Download the latest version of the game.");
  label.SetPos(ui::UiRect{10, 10, 590, 40});
  for (auto _ : state) label.Paint(scene.canvas.get(), kCanvas);
}
BENCHMARK(BM_PlainLabelPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
