// Building a large layout file (about 2,000 controls: 100 panels of 20 rows)
// the first time, parsed from disk by LayoutBuilder::Create, against
// building it again from the layout cache with GlobalManager::CreateBox,
// which walks the kept document without reading or parsing the file.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/global_manager.h"
#include "ui/layout_builder.h"
#include "ui/wide_text.h"

namespace {

constexpr int kPanels = 100;
constexpr int kRowsPerPanel = 20;

// Writes the layout into a fresh folder made the resource path; removed at exit.
class LayoutFolder {
 public:
  LayoutFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "layout_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    std::ofstream file(path_ / "large.xml");
    file << "<Window size=\"1340,750\"><VBox name=\"root\">";
    for (int p = 0; p < kPanels; ++p) {
      file << "<VBox name=\"panel" << p << "\" height=\"auto\" childmargin=\"2\">";
      for (int r = 0; r < kRowsPerPanel; ++r) {
        file << "<Box height=\"24\" padding=\"1,1,1,1\"><Control name=\"leaf" << p << "_" << r
             << "\" width=\"120\" height=\"20\" bkcolor=\"white\" tooltiptext=\"row\"/></Box>";
      }
      file << "</VBox>";
    }
    file << "</VBox></Window>";
    ui::GlobalManager::SetResourcePath(ui::Utf8ToUtf16(path_.string()));
  }
  ~LayoutFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

LayoutFolder& Folder() {
  static LayoutFolder folder;
  return folder;
}

void BM_CreateParsesTheFile(benchmark::State& state) {
  Folder();
  for (auto _ : state) {
    ui::LayoutBuilder builder;
    std::unique_ptr<ui::Control> root(builder.Create(u"large.xml", ui::CreateControlCallback()));
    if (!root) state.SkipWithError("the layout did not build");
    benchmark::DoNotOptimize(root.get());
  }
}
BENCHMARK(BM_CreateParsesTheFile)->Unit(benchmark::kMicrosecond);

void BM_CreateBoxFromTheCache(benchmark::State& state) {
  Folder();
  ui::GlobalManager::ClearLayoutCache();
  std::unique_ptr<ui::Control> warm(ui::GlobalManager::CreateBox(u"large.xml", ui::CreateControlCallback()));
  if (!warm) state.SkipWithError("the layout did not build");
  for (auto _ : state) {
    std::unique_ptr<ui::Control> root(ui::GlobalManager::CreateBox(u"large.xml", ui::CreateControlCallback()));
    benchmark::DoNotOptimize(root.get());
  }
  ui::GlobalManager::ClearLayoutCache();
}
BENCHMARK(BM_CreateBoxFromTheCache)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
