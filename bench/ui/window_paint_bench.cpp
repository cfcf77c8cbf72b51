// The window's paint into memory: a 1340 x 750 layered window whose root, a
// launcher-like tree (title bar with buttons, a side list of 10 rows, a tab
// box showing a page of 16 tiles, a bottom bar with progress and the main
// button) sits in the drop shadow. Measured: a full paint (layout done,
// alpha clear, the shadow's 9-grid, about 50 colours, 20 images and 30 text
// lines under their clips, the alpha restore inside the shadow, and the
// copy the in-memory back-end keeps as the presented picture), the same
// scene drawn directly with cairo and pango, and the repaint of the main
// button going hot. The ratio of the full paint to the direct drawing is
// printed after the table (the aim: at most 1.5).
//   build/release/bench/ui/ui_window_paint_bench
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/framework/message_loop.h"
#include "bench/render/direct_drawing.h"
#include "bench/render/ratio_reporter.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "ui/global_manager.h"
#include "ui/hbox.h"
#include "ui/render/i_render_context.h"
#include "ui/tab_box.h"
#include "ui/tile_box.h"
#include "ui/timer_manager.h"
#include "ui/vbox.h"
#include "ui/wide_text.h"
#include "ui/window.h"

namespace {

using ui::UiRect;

constexpr int kWidth = 1340;
constexpr int kHeight = 750;
constexpr int kFontPixels = 14;
constexpr char kFontFace[] = "DejaVu Sans";
constexpr uint32_t kTextStyle = ui::DT_SINGLELINE | ui::DT_VCENTER | ui::DT_END_ELLIPSIS;
const UiRect kSkinCorner{8, 8, 8, 8};
const UiRect kShadowCorner{30, 30, 30, 30};

// A control that draws one line of white text, as a label does.
class TextControl : public ui::Control {
 public:
  explicit TextControl(std::u16string text) : text_(std::move(text)) {}
  void PaintText(ui::IRenderContext* render) override {
    render->DrawText(rect_, text_, 0xFFFFFFFF, u"bench", kTextStyle, 255, false);
  }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
};

// The pictures of the scene, written once as PNG files the controls load.
struct Pictures {
  std::string folder;
  std::string skin_file;
  std::string shadow_file;
  cairo_surface_t* skin = nullptr;
  cairo_surface_t* shadow = nullptr;

  Pictures() {
    char pattern[] = "/tmp/window_paint_bench.XXXXXX";
    folder = mkdtemp(pattern);
    skin_file = folder + "/skin.png";
    shadow_file = folder + "/shadow.png";
    WriteSkin();
    WriteShadow();
    skin = cairo_image_surface_create_from_png(skin_file.c_str());
    shadow = cairo_image_surface_create_from_png(shadow_file.c_str());
  }

  ~Pictures() {
    cairo_surface_destroy(skin);
    cairo_surface_destroy(shadow);
    std::remove(skin_file.c_str());
    std::remove(shadow_file.c_str());
    rmdir(folder.c_str());
  }
  Pictures(const Pictures&) = delete;
  Pictures& operator=(const Pictures&) = delete;

  static void Save(cairo_surface_t* surface, const std::string& file) {
    cairo_surface_write_to_png(surface, file.c_str());
    cairo_surface_destroy(surface);
  }
  void WriteSkin() const { Save(bench::MakeSkinPicture(), skin_file); }
  // A soft edge: black growing denser toward the middle.
  void WriteShadow() const {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 90, 90);
    cairo_t* cr = cairo_create(surface);
    for (int i = 0; i < 30; ++i) {
      cairo_set_source_rgba(cr, 0, 0, 0, 0.02);
      cairo_rectangle(cr, i, i, 90 - 2 * i, 90 - 2 * i);
      cairo_fill(cr);
    }
    cairo_destroy(cr);
    Save(surface, shadow_file);
  }
  static std::u16string Attribute(const std::string& file, const UiRect& corner) {
    return ui::Utf8ToUtf16("file='" + file + "' corner='" + std::to_string(corner.left) + "," +
                           std::to_string(corner.top) + "," + std::to_string(corner.right) + "," +
                           std::to_string(corner.bottom) + "'");
  }
};

Pictures& GetPictures() {
  static Pictures pictures;
  return pictures;
}

ui::Control* Add(ui::Box* parent, ui::Control* child, const std::u16string& attributes) {
  child->ApplyAttributeList(attributes);
  parent->Add(child);
  return child;
}

ui::Control* Skinned(ui::Control* control) {
  control->SetBkImage(Pictures::Attribute(GetPictures().skin_file, kSkinCorner));
  return control;
}

// The launcher-like tree; returns the main button.
ui::Control* BuildTree(ui::Box* root) {
  root->ApplyAttributeList(u"bkcolor=\"#FF202830\"");
  auto* title = static_cast<ui::Box*>(
      Add(root, new ui::HBox(), u"height=\"44\" bkcolor=\"#FF2A3440\" padding=\"12,0,8,0\" childmargin=\"6\""));
  Add(title, new TextControl(u"Launcher - game title and version 10077_0_2"), u"");
  for (int i = 0; i < 3; ++i) Add(title, Skinned(new ui::Control()), u"width=\"32\" height=\"32\" valign=\"center\"");

  auto* body = static_cast<ui::Box*>(
      Add(root, new ui::HBox(), u"padding=\"10,10,10,10\" childmargin=\"10\""));
  auto* side = static_cast<ui::Box*>(
      Add(body, new ui::VBox(), u"width=\"300\" bkcolor=\"#FF26303A\" childmargin=\"4\""));
  for (int i = 0; i < 10; ++i) {
    auto* row = static_cast<ui::Box*>(Add(
        side, new ui::HBox(), u"height=\"48\" bkcolor=\"#FF303C48\" padding=\"6,4,6,4\" childmargin=\"8\""));
    Add(row, Skinned(new ui::Control()), u"width=\"40\" height=\"40\"");
    Add(row, new TextControl(u"News " + ui::Utf8ToUtf16(std::to_string(i)) + u": patch notes and events"),
        u"");
  }
  auto* tabs = static_cast<ui::TabBox*>(Add(body, new ui::TabBox(), u"selectedid=\"0\""));
  auto* tiles = static_cast<ui::Box*>(
      Add(tabs, new ui::TileBox(), u"columns=\"4\" childmargin=\"10\" padding=\"10,10,10,10\""));
  for (int i = 0; i < 16; ++i) {
    auto* tile = static_cast<ui::Box*>(
        Add(tiles, new ui::VBox(), u"height=\"120\" bkcolor=\"#FF34404C\" padding=\"4,4,4,4\""));
    ui::Control* picture = Add(tile, new ui::Control(), u"height=\"80\" bkcolor=\"#FF506070\"");
    if (i % 3 == 0) Skinned(picture);
    Add(tile, new TextControl(u"Poster " + ui::Utf8ToUtf16(std::to_string(i))), u"height=\"28\"");
  }
  for (int page = 0; page < 2; ++page) {
    auto* other = static_cast<ui::Box*>(Add(tabs, new ui::VBox(), u"bkcolor=\"#FF404040\""));
    for (int i = 0; i < 5; ++i) Add(other, new TextControl(u"Hidden page line"), u"height=\"30\"");
  }

  auto* bar = static_cast<ui::Box*>(Add(
      root, new ui::HBox(), u"height=\"90\" bkcolor=\"#FF1A2028\" padding=\"20,15,20,15\" childmargin=\"16\""));
  auto* progress = static_cast<ui::Box*>(Add(bar, new ui::VBox(), u"childmargin=\"4\""));
  Add(progress, new TextControl(u"Downloading update: 42.5 MB of 1.2 GB"), u"height=\"24\"");
  auto* track = static_cast<ui::Box*>(
      Add(progress, new ui::HBox(), u"height=\"12\" bkcolor=\"#FF303030\""));
  Add(track, new ui::Control(), u"width=\"420\" bkcolor=\"#FF30A0F0\"");
  Add(progress, new TextControl(u"3.2 MB/S, 5 minutes left"), u"height=\"24\"");
  ui::Control* button = Add(bar, Skinned(new TextControl(u"START")), u"width=\"200\" height=\"56\" valign=\"center\"");
  button->SetStateColor(ui::kControlStateHot, u"#40FFFFFF");
  return button;
}

// One paint step of the direct version: what a visible control draws.
struct DirectItem {
  UiRect rect;
  uint32_t colour = 0;
  bool image = false;
  std::string text;
};

void CollectItems(ui::Control* control, std::vector<DirectItem>* items) {
  if (!control->IsVisible() || control->GetAlpha() == 0) return;
  DirectItem item;
  item.rect = control->GetPos();
  const std::u16string& colour = control->GetBkColor();
  if (!colour.empty()) item.colour = ui::GlobalManager::GetTextColor(colour);
  item.image = !control->GetBkImage().empty();
  if (auto* text = dynamic_cast<TextControl*>(control)) item.text = ui::Utf16ToUtf8(text->text());
  items->push_back(item);
  if (auto* box = dynamic_cast<ui::Box*>(control)) {
    for (ui::Control* child : box->GetChildren()) CollectItems(child, items);
  }
}

// The window on the in-memory back-end, laid out and fully shown.
struct PaintedWindow {
  kbase::MessageLoop loop;
  platform::MemoryBackend backend;
  ui::Window window;
  ui::Control* button = nullptr;
  ui::Box* root = nullptr;

  PaintedWindow() {
    platform::InstallWindowBackend(&backend);
    ui::GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    ui::GlobalManager::AddFont(u"bench", u"DejaVu Sans", kFontPixels, false, false, false, true);
    const platform::HWND hwnd =
        window.Create(nullptr, u"bench", 0, 0, true, UiRect{0, 0, kWidth, kHeight});
    window.AttachWindowHandle(hwnd);
    platform::ShowWindow(hwnd, platform::SW_SHOWNOACTIVATE);
    window.GetShadow().SetShadowImage(Pictures::Attribute(GetPictures().shadow_file, kShadowCorner));
    root = new ui::VBox();
    button = BuildTree(root);
    window.AttachRoot(window.GetShadow().AttachShadow(root));
    window.Paint();  // the first layout and fade-in
    window.SetWindowAlpha(255);
  }
  ~PaintedWindow() {
    platform::DestroyWindow(window.GetHWND());
    ui::TimerManager::GetInstance()->Shutdown();
    ui::GlobalManager::Shutdown();
    platform::InstallWindowBackend(nullptr);
  }
  void PaintAll() {
    platform::InvalidateRect(window.GetHWND(), nullptr, false);
    window.Paint();
  }
};

void BM_FullPaintOurs(benchmark::State& state) {
  PaintedWindow painted;
  for (auto _ : state) painted.PaintAll();
  std::vector<DirectItem> items;
  CollectItems(painted.root, &items);
  state.counters["controls"] = static_cast<double>(items.size());
  state.counters["presents"] = painted.backend.PresentCount(platform::GetNativeWindow(painted.window.GetHWND()));
}

void BM_FullPaintDirect(benchmark::State& state) {
  std::vector<DirectItem> items;
  PaintedWindow painted;
  CollectItems(painted.root, &items);
  const UiRect inner = painted.root->GetPos();
  Pictures& pictures = GetPictures();
  bench::DirectText text(kFontFace, kFontPixels);
  const bench::DirectNineGrid skin(pictures.skin, kSkinCorner);
  const bench::DirectNineGrid shadow(pictures.shadow, kShadowCorner);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  std::vector<uint32_t> presented(static_cast<size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    bench::SetFrameAlpha(surface, 0, false);
    cairo_t* cr = cairo_create(surface);
    shadow.Draw(cr, UiRect{0, 0, kWidth, kHeight});
    for (const DirectItem& item : items) {
      cairo_save(cr);
      cairo_rectangle(cr, item.rect.left, item.rect.top, item.rect.Width(), item.rect.Height());
      cairo_clip(cr);
      if (item.colour != 0) {
        cairo_set_source_rgba(cr, ((item.colour >> 16) & 0xFF) / 255.0, ((item.colour >> 8) & 0xFF) / 255.0,
                              (item.colour & 0xFF) / 255.0, (item.colour >> 24) / 255.0);
        cairo_paint(cr);
      }
      if (item.image) skin.Draw(cr, item.rect);
      if (!item.text.empty()) text.Draw(cr, item.rect, item.text, PANGO_ALIGN_LEFT);
      cairo_restore(cr);
    }
    cairo_destroy(cr);
    // Opaque inside the shadow, then handed over as the presented picture.
    cairo_surface_flush(surface);
    auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    for (int y = inner.top; y < inner.bottom; ++y) {
      for (int x = inner.left; x < inner.right; ++x) pixels[y * kWidth + x] |= 0xFF000000u;
    }
    cairo_surface_mark_dirty(surface);
    std::memcpy(presented.data(), pixels, presented.size() * 4);
    benchmark::DoNotOptimize(presented.data());
  }
  cairo_surface_destroy(surface);
  state.counters["controls"] = static_cast<double>(items.size());
  // How far the two pictures are from each other: pixels with a channel
  // more than 8 apart (text anti-aliasing and the restored corners differ).
  painted.PaintAll();
  const auto picture = painted.backend.LastPicture(platform::GetNativeWindow(painted.window.GetHWND()));
  int differing = 0;
  for (size_t i = 0; picture && i < presented.size(); ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = static_cast<int>((picture->pixels[i] >> shift) & 0xFF);
      const int b = static_cast<int>((presented[i] >> shift) & 0xFF);
      if (a - b > 8 || b - a > 8) {
        ++differing;
        break;
      }
    }
  }
  state.counters["differing_pixels"] = differing;
}

void BM_HotButtonRepaint(benchmark::State& state) {
  PaintedWindow painted;
  bool hot = false;
  for (auto _ : state) {
    hot = !hot;
    painted.button->SetState(hot ? ui::kControlStateHot : ui::kControlStateNormal);
    painted.button->Invalidate();
    painted.window.Paint();
  }
}

// What the in-memory back-end's present of the whole frame costs alone: part
// of every paint, the larger part of a small repaint's.
void BM_PresentOnly(benchmark::State& state) {
  PaintedWindow painted;
  ui::IRenderContext* render = painted.window.GetRenderContext();
  platform::PresentBuffer picture;
  picture.pixels = reinterpret_cast<const uint32_t*>(render->GetBits());
  picture.width = render->GetWidth();
  picture.height = render->GetHeight();
  picture.stride_bytes = picture.width * 4;
  for (auto _ : state) platform::UpdateLayeredWindow(painted.window.GetHWND(), picture);
}

BENCHMARK(BM_FullPaintOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPaintDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HotButtonRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios({"FullPaint"});
  benchmark::Shutdown();
  return 0;
}
