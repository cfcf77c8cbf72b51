// Lists: a 300x400 list of text rows repainted after each scroll step
// (goal: 1 ms a repaint), a virtual list over 100,000 rows made and filled,
// and scrolled from top to bottom a page at a time, its elements refilled
// at each step.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/vlayout.h"

namespace {

const ui::UiRect kView{0, 0, 300, 400};
constexpr int kRowHeight = 30;

std::u16string RowText(int index) {
  const std::string text = "Row " + std::to_string(index) + " of the list";
  return std::u16string(text.begin(), text.end());
}

ui::ListContainerElement* MakeRow(int index) {
  auto* row = new ui::ListContainerElement();
  row->SetAttribute(u"height", u"30");
  row->SetAttribute(u"font", u"body");
  row->SetAttribute(u"normaltextcolor", u"black");
  row->SetAttribute(u"textpadding", u"10,0,10,0");
  row->SetText(RowText(index));
  return row;
}

struct Scene {
  Scene() {
    ui::GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    ui::GlobalManager::AddFont(u"body", u"DejaVu Sans", 14, false, false, false, true);
    ui::GlobalManager::AddTextColor(u"white", 0xFFFFFFFF);
    ui::GlobalManager::AddTextColor(u"black", 0xFF000000);
    canvas = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
    canvas->Resize(kView.Width(), kView.Height());
  }
  ~Scene() {
    canvas.reset();
    ui::GlobalManager::RemoveAllTextColors();
    ui::GlobalManager::Shutdown();
  }
  std::unique_ptr<ui::IRenderContext> canvas;
};

// Rows made on demand with their index as text.
class TextRows : public ui::VirtualListDataProvider {
 public:
  explicit TextRows(int count) : count_(count) {}
  ui::Control* CreateElement() override { return MakeRow(0); }
  void FillElement(ui::Control* element, int index) override {
    static_cast<ui::ListContainerElement*>(element)->SetText(RowText(index));
    ++fills;
  }
  int GetElementCount() override { return count_; }

  int64_t fills = 0;

 private:
  int count_;
};

// A virtual list in the 300x400 view over |rows|, with the elements that
// fill the view and a few spares.
void ShowRows(ui::VirtualListBox& list, TextRows& rows) {
  list.SetAttribute(u"vscrollbar", u"true");
  list.SetDataProvider(&rows);
  list.SetElementHeight(kRowHeight);
  list.InitElements(kView.Height() / kRowHeight + 4);
  list.SetPos(kView);
}

void BM_ScrolledListRepaint(benchmark::State& state) {
  Scene scene;
  ui::ListBox list(new ui::VLayout());
  list.SetAttribute(u"vscrollbar", u"true");
  list.SetAttribute(u"bkcolor", u"white");
  for (int i = 0; i < 200; ++i) list.Add(MakeRow(i));
  list.SetPos(kView);
  const int range = list.GetScrollRange().cy;
  int y = 0;
  for (auto _ : state) {
    y = y + 7 > range ? 0 : y + 7;  // a few pixels a step, as a wheel animation moves
    list.SetScrollPosY(y);
    list.Paint(scene.canvas.get(), kView);
  }
}
BENCHMARK(BM_ScrolledListRepaint)->Unit(benchmark::kMicrosecond);

void BM_VirtualListFill100k(benchmark::State& state) {
  Scene scene;
  TextRows rows(100000);
  for (auto _ : state) {
    ui::VirtualListBox list;
    ShowRows(list, rows);
    list.Paint(scene.canvas.get(), kView);
    benchmark::DoNotOptimize(list.ContentHeight());
  }
}
BENCHMARK(BM_VirtualListFill100k)->Unit(benchmark::kMicrosecond);

// One iteration scrolls the whole list, a page a step; the counters tell the
// time of a step and how many elements each step refilled.
void BM_VirtualListScrollThrough100k(benchmark::State& state) {
  Scene scene;
  TextRows rows(100000);
  ui::VirtualListBox list;
  ShowRows(list, rows);
  const int range = list.GetScrollRange().cy;
  int64_t steps = 0;
  rows.fills = 0;
  for (auto _ : state) {
    for (int y = 0; y <= range; y += kView.Height()) {
      list.SetScrollPosY(y);
      ++steps;
    }
    list.SetScrollPosY(0);
  }
  state.counters["steps"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate |
                                                                            benchmark::Counter::kInvert);
  state.counters["fills_per_step"] = static_cast<double>(rows.fills) / static_cast<double>(steps);
}
BENCHMARK(BM_VirtualListScrollThrough100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
