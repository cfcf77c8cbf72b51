// A typed character in a rich edit: the engine's update (insertion, layout,
// caret, scroll, change notification) and the repaint of the edit into a
// render context, as one keystroke costs on screen. Goal: at most 0.2 ms.
// Variants: a single-line field, a wrapping multi-line one, and a password
// field, each kept between 0 and 60 characters.
#include <benchmark/benchmark.h>

#include <memory>

#include "ui/box.h"
#include "ui/controls/rich_edit.h"
#include "ui/global_manager.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

namespace {

constexpr size_t kMaxLength = 60;

void TypeAndRepaint(benchmark::State& state, bool multiline, bool password) {
  ui::GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
  ui::GlobalManager::AddFont(u"edit", u"DejaVu Sans", 14, false, false, false, true);
  ui::GlobalManager::AddTextColor(u"black", 0xFF000000);
  {
    ui::Window window;
    auto* root = new ui::Box;
    window.AttachRoot(root);
    auto* edit = new ui::RichEdit;
    edit->SetAttribute(u"multiline", multiline ? u"true" : u"false");
    edit->SetAttribute(u"password", password ? u"true" : u"false");
    edit->SetAttribute(u"normaltextcolor", u"black");
    root->Add(edit);
    const ui::UiRect rect{0, 0, 300, multiline ? 120 : 30};
    edit->SetPos(rect);
    window.SetFocus(edit);
    ui::RenderFactory_GdiPlus factory;
    std::unique_ptr<ui::IRenderContext> canvas = factory.CreateRenderContext();
    canvas->Resize(rect.Width(), rect.Height(), true);
    size_t length = 0;
    for (auto _ : state) {
      edit->FireEvent(ui::kEventChar, u'a' + length % 26, 0, u'a' + length % 26);
      edit->Paint(canvas.get(), rect);
      if (++length == kMaxLength) {
        state.PauseTiming();
        edit->SetText(u"");
        length = 0;
        state.ResumeTiming();
      }
    }
    window.SetFocus(nullptr);
  }
  ui::TimerManager::GetInstance()->Shutdown();
  ui::GlobalManager::RemoveAllTextColors();
  ui::GlobalManager::RemoveAllFonts();
  ui::GlobalManager::Shutdown();
}

void BM_TypeCharacterSingleLine(benchmark::State& state) { TypeAndRepaint(state, false, false); }
void BM_TypeCharacterMultiLine(benchmark::State& state) { TypeAndRepaint(state, true, false); }
void BM_TypeCharacterPassword(benchmark::State& state) { TypeAndRepaint(state, false, true); }

BENCHMARK(BM_TypeCharacterSingleLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeCharacterMultiLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeCharacterPassword)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
