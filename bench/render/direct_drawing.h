// Drawing made directly with cairo and pango, the yardstick the benchmarks
// hold the render context and the window's paint against: a text line laid
// out with pango, a 9-grid picture cut once into sub-surfaces, and the
// alpha clear and restore of a layered frame.
#ifndef BENCH_RENDER_DIRECT_DRAWING_H_
#define BENCH_RENDER_DIRECT_DRAWING_H_

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ui/render/render_types.h"

namespace bench {

struct DirectText {
  PangoFontDescription* font = pango_font_description_new();
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  PangoLayout* layout = nullptr;

  DirectText(const char* face, int pixels) {
    pango_font_description_set_family(font, face);
    pango_font_description_set_absolute_size(font, pixels * PANGO_SCALE);
    layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  }
  ~DirectText() {
    g_object_unref(layout);
    g_object_unref(context);
    pango_font_description_free(font);
  }
  DirectText(const DirectText&) = delete;
  DirectText& operator=(const DirectText&) = delete;

  void Draw(cairo_t* cr, const ui::UiRect& rect, const std::string& text, PangoAlignment alignment) {
    pango_layout_set_width(layout, rect.Width() * PANGO_SCALE);
    pango_layout_set_alignment(layout, alignment);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    cairo_set_source_rgba(cr, 1, 1, 1, 254.0 / 255.0);
    cairo_move_to(cr, rect.left, rect.top + (rect.Height() - h) / 2.0);
    pango_cairo_show_layout(cr, layout);
  }
};

// The skin picture the image controls of the scenes draw: 60 x 40 with a
// soft edge. The caller owns the surface.
inline cairo_surface_t* MakeSkinPicture() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 40);
  cairo_t* cr = cairo_create(surface);
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, 40);
  cairo_pattern_add_color_stop_rgba(gradient, 0, 0.2, 0.4, 0.9, 1);
  cairo_pattern_add_color_stop_rgba(gradient, 1, 0.1, 0.2, 0.5, 0.8);
  cairo_set_source(cr, gradient);
  cairo_rectangle(cr, 2, 2, 56, 36);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
  cairo_destroy(cr);
  return surface;
}

// The nine pieces of a picture, cut once; each drawn scaled into its place.
struct DirectNineGrid {
  struct Piece {
    cairo_surface_t* surface;
    int x, y, w, h;
  };
  std::vector<Piece> pieces;
  ui::UiRect corner;

  DirectNineGrid(cairo_surface_t* image, const ui::UiRect& image_corner) : corner(image_corner) {
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int xs[4] = {0, corner.left, width - corner.right, width};
    const int ys[4] = {0, corner.top, height - corner.bottom, height};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        const int w = xs[c + 1] - xs[c], h = ys[r + 1] - ys[r];
        pieces.push_back({cairo_surface_create_for_rectangle(image, xs[c], ys[r], w, h), c, r, w, h});
      }
    }
  }
  ~DirectNineGrid() {
    for (Piece& piece : pieces) cairo_surface_destroy(piece.surface);
  }
  DirectNineGrid(const DirectNineGrid&) = delete;
  DirectNineGrid& operator=(const DirectNineGrid&) = delete;

  void Draw(cairo_t* cr, const ui::UiRect& d) const {
    const int dx[4] = {d.left, d.left + corner.left, d.right - corner.right, d.right};
    const int dy[4] = {d.top, d.top + corner.top, d.bottom - corner.bottom, d.bottom};
    for (const Piece& piece : pieces) {
      const int x = dx[piece.x], y = dy[piece.y];
      const int w = dx[piece.x + 1] - x, h = dy[piece.y + 1] - y;
      if (w <= 0 || h <= 0) continue;
      cairo_pattern_t* pattern = cairo_pattern_create_for_surface(piece.surface);
      cairo_matrix_t m;
      cairo_matrix_init_scale(&m, static_cast<double>(piece.w) / w, static_cast<double>(piece.h) / h);
      cairo_matrix_translate(&m, -x, -y);
      cairo_pattern_set_matrix(pattern, &m);
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
      cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
      cairo_set_source(cr, pattern);
      cairo_rectangle(cr, x, y, w, h);
      cairo_fill(cr);
      cairo_pattern_destroy(pattern);
    }
  }
};

// A layered frame's alpha: cleared to 0 before drawing (|only_alpha| false),
// or every pixel made opaque afterwards (|only_alpha| true).
inline void SetFrameAlpha(cairo_surface_t* surface, uint8_t alpha, bool only_alpha) {
  cairo_surface_flush(surface);
  auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
  const size_t count = static_cast<size_t>(cairo_image_surface_get_stride(surface) / 4) *
                       cairo_image_surface_get_height(surface);
  if (!only_alpha) {
    std::memset(pixels, alpha, count * 4);
  } else {
    for (size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
  }
  cairo_surface_mark_dirty(surface);
}

}  // namespace bench

#endif  // BENCH_RENDER_DIRECT_DRAWING_H_
