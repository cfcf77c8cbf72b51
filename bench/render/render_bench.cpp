// The render context against direct cairo/pango drawing of the same scenes:
// a full 1340 x 750 frame (alpha clear and restore, 60 rectangles, 20 images
// through the 9-grid, 30 text lines, every control under its own clip), a
// button repaint, and a 40-character line. After the table the ratios of
// ours to direct are printed (1.0 = as fast; the aim is at most 1.3).
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/render/direct_drawing.h"
#include "bench/render/ratio_reporter.h"
#include "ui/global_manager.h"
#include "ui/render/render_context_gdiplus.h"
#include "ui/render/render_types.h"
#include "ui/wide_text.h"

namespace {

using ui::UiRect;

constexpr int kWidth = 1340;
constexpr int kHeight = 750;
constexpr int kFontPixels = 14;
constexpr char kFontFace[] = "DejaVu Sans";
constexpr uint32_t kTextStyle = ui::DT_SINGLELINE | ui::DT_VCENTER | ui::DT_END_ELLIPSIS;

// The skin picture every image control draws: 60 x 40 with a soft edge.
cairo_surface_t* SkinImage() {
  static cairo_surface_t* image = bench::MakeSkinPicture();
  return image;
}

const UiRect kCorner{8, 8, 8, 8};

struct Scene {
  std::vector<std::pair<UiRect, uint32_t>> rects;
  std::vector<UiRect> images;
  std::vector<std::pair<UiRect, std::string>> texts;
};

const Scene& FrameScene() {
  static const Scene scene = [] {
    Scene s;
    for (int i = 0; i < 60; ++i) {
      const int x = (i % 10) * 130 + 10;
      const int y = (i / 10) * 120 + 10;
      s.rects.push_back({UiRect{x, y, x + 120, y + 50}, 0xFF000000u | (0x10203u * (i + 1))});
    }
    for (int i = 0; i < 20; ++i) {
      const int x = (i % 5) * 260 + 20;
      const int y = (i / 5) * 180 + 40;
      s.images.push_back(UiRect{x, y, x + 200 + (i % 3) * 20, y + 40 + (i % 4) * 10});
    }
    for (int i = 0; i < 30; ++i) {
      const int x = (i % 3) * 440 + 20;
      const int y = (i / 3) * 72 + 20;
      s.texts.push_back({UiRect{x, y, x + 400, y + 24},
                         "Line " + std::to_string(i) + ": download 42.5 MB of 1.2 GB"});
    }
    return s;
  }();
  return scene;
}

const std::u16string& FontId() {
  static const std::u16string id = [] {
    ui::GlobalManager::AddFont(u"bench", u"DejaVu Sans", kFontPixels, false, false, false, true);
    return std::u16string(u"bench");
  }();
  return id;
}

// --- through the render context -------------------------------------------

void DrawFrameOurs(ui::IRenderContext& context, const Scene& scene,
                   const std::vector<std::u16string>& texts) {
  const UiRect whole{0, 0, kWidth, kHeight};
  context.ClearAlpha(whole, 0);
  for (const auto& [rect, colour] : scene.rects) {
    context.SetClip(rect);
    context.DrawColor(rect, colour, 255);
    context.ClearClip();
  }
  for (const UiRect& dest : scene.images) {
    context.SetClip(dest);
    context.DrawImage(dest, SkinImage(), dest, UiRect{0, 0, 60, 40}, kCorner, 255, false, false);
    context.ClearClip();
  }
  for (size_t i = 0; i < scene.texts.size(); ++i) {
    const UiRect& rect = scene.texts[i].first;
    context.SetClip(rect);
    context.DrawText(rect, texts[i], 0xFFFFFFFF, FontId(), kTextStyle, 255, false);
    context.ClearClip();
  }
  context.RestoreAlpha(whole, UiRect{4, 4, 4, 4}, 0);
}

void BM_FullFrameOurs(benchmark::State& state) {
  ui::RenderContext_GdiPlus context;
  context.Resize(kWidth, kHeight, true);
  const Scene& scene = FrameScene();
  std::vector<std::u16string> texts;
  for (const auto& text : scene.texts) texts.push_back(ui::Utf8ToUtf16(text.second));
  for (auto _ : state) DrawFrameOurs(context, scene, texts);
}

void BM_ButtonRepaintOurs(benchmark::State& state) {
  ui::RenderContext_GdiPlus context;
  context.Resize(kWidth, kHeight, true);
  const UiRect button{600, 400, 720, 436};
  const std::u16string text = u"Start";
  for (auto _ : state) {
    context.SetClip(button);
    context.DrawImage(button, SkinImage(), button, UiRect{0, 0, 60, 40}, kCorner, 255, false, false);
    context.DrawText(button, text, 0xFFFFFFFF, FontId(), kTextStyle | ui::DT_CENTER, 255, false);
    context.ClearClip();
  }
}

void BM_TextLineOurs(benchmark::State& state) {
  ui::RenderContext_GdiPlus context;
  context.Resize(kWidth, kHeight, true);
  const UiRect rect{20, 20, 700, 44};
  const std::u16string text = u"Downloading update 10077_0_2: 42 of 120";  // 40 characters
  for (auto _ : state) context.DrawText(rect, text, 0xFFFFFFFF, FontId(), kTextStyle, 255, false);
}

// --- the same drawn directly -----------------------------------------------

using bench::DirectNineGrid;
using bench::SetFrameAlpha;

// The text of the scenes, drawn directly.
struct DirectText : bench::DirectText {
  DirectText() : bench::DirectText(kFontFace, kFontPixels) {}
};

// The skin picture's nine pieces.
struct SkinGrid : DirectNineGrid {
  SkinGrid() : DirectNineGrid(SkinImage(), kCorner) {}
};

void BM_FullFrameDirect(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  DirectText text;
  SkinGrid grid;
  const Scene& scene = FrameScene();
  for (auto _ : state) {
    SetFrameAlpha(surface, 0, false);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    for (const auto& [rect, colour] : scene.rects) {
      cairo_save(cr);
      cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
      cairo_clip(cr);
      cairo_set_source_rgba(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                            (colour & 0xFF) / 255.0, 1);
      cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
      cairo_fill(cr);
      cairo_restore(cr);
    }
    for (const UiRect& dest : scene.images) {
      cairo_save(cr);
      cairo_rectangle(cr, dest.left, dest.top, dest.Width(), dest.Height());
      cairo_clip(cr);
      grid.Draw(cr, dest);
      cairo_restore(cr);
    }
    for (const auto& [rect, line] : scene.texts) {
      cairo_save(cr);
      cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
      cairo_clip(cr);
      text.Draw(cr, rect, line, PANGO_ALIGN_LEFT);
      cairo_restore(cr);
    }
    cairo_destroy(cr);
    SetFrameAlpha(surface, 255, true);
  }
  cairo_surface_destroy(surface);
}

void BM_ButtonRepaintDirect(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  DirectText text;
  SkinGrid grid;
  const UiRect button{600, 400, 720, 436};
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    cairo_rectangle(cr, button.left, button.top, button.Width(), button.Height());
    cairo_clip(cr);
    grid.Draw(cr, button);
    text.Draw(cr, button, "Start", PANGO_ALIGN_CENTER);
    cairo_destroy(cr);
  }
  cairo_surface_destroy(surface);
}

void BM_TextLineDirect(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  DirectText text;
  const UiRect rect{20, 20, 700, 44};
  const std::string line = "Downloading update 10077_0_2: 42 of 120";
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    text.Draw(cr, rect, line, PANGO_ALIGN_LEFT);
    cairo_destroy(cr);
  }
  cairo_surface_destroy(surface);
}

BENCHMARK(BM_FullFrameOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullFrameDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ButtonRepaintOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ButtonRepaintDirect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextLineOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextLineDirect)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  FontId();
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios({"FullFrame", "ButtonRepaint", "TextLine"});
  benchmark::Shutdown();
  return 0;
}
