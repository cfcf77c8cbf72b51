// Layout of a large control tree: about 10,000 controls in nested vertical
// boxes (100 panels of 10 rows of 10 leaves, each row a box sized to its
// content). Measured: the whole tree's first layout, and the re-layout the
// window runs after one leaf deep in the tree changes its height.
#include <benchmark/benchmark.h>

#include <vector>

#include "ui/vbox.h"
#include "ui/window.h"

namespace {

constexpr int kPanels = 100;
constexpr int kRowsPerPanel = 10;
constexpr int kLeavesPerRow = 10;
const ui::UiRect kClient{0, 0, 1340, 750};

struct Tree {
  ui::Window window;
  ui::Control* leaf = nullptr;  // one leaf in the middle of the tree
  int controls = 0;
};

// Builds the tree under a fresh window; the caller owns the result.
Tree* BuildTree() {
  auto* tree = new Tree();
  auto* root = new ui::VBox();
  ++tree->controls;
  for (int p = 0; p < kPanels; ++p) {
    auto* panel = new ui::VBox();
    panel->SetFixedHeight(ui::kSizeAuto, false);
    panel->SetAttribute(u"childmargin", u"2");
    ++tree->controls;
    for (int r = 0; r < kRowsPerPanel; ++r) {
      auto* row = new ui::VBox();
      row->SetFixedHeight(ui::kSizeAuto, false);
      row->SetAttribute(u"padding", u"1,1,1,1");
      ++tree->controls;
      for (int l = 0; l < kLeavesPerRow; ++l) {
        auto* leaf = new ui::Control();
        leaf->SetFixedHeight(3 + (l % 4), false);
        leaf->SetAttribute(u"margin", u"2,0,2,0");
        row->Add(leaf);
        ++tree->controls;
        if (p == kPanels / 2 && r == kRowsPerPanel / 2 && l == kLeavesPerRow / 2) tree->leaf = leaf;
      }
      panel->Add(row);
    }
    root->Add(panel);
  }
  tree->window.AttachRoot(root);
  return tree;
}

void BM_FirstLayout(benchmark::State& state) {
  int controls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Tree* tree = BuildTree();
    controls = tree->controls;
    state.ResumeTiming();
    tree->window.ArrangePending(kClient);
    benchmark::DoNotOptimize(tree->leaf->GetPos());
    state.PauseTiming();
    delete tree;
    state.ResumeTiming();
  }
  state.counters["controls"] = controls;
}
BENCHMARK(BM_FirstLayout)->Unit(benchmark::kMillisecond);

void BM_RelayoutAfterOneLeafResizes(benchmark::State& state) {
  Tree* tree = BuildTree();
  tree->window.ArrangePending(kClient);
  int height = 3;
  for (auto _ : state) {
    height = height == 3 ? 9 : 3;
    tree->leaf->SetFixedHeight(height, false);
    tree->window.ArrangePending(kClient);
    benchmark::DoNotOptimize(tree->leaf->GetPos());
  }
  state.counters["controls"] = tree->controls;
  delete tree;
}
BENCHMARK(BM_RelayoutAfterOneLeafResizes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
