// Pictures for the drawing tests: PNG bytes made with cairo from a grid of
// solid cells, and pixel reads from a render context.
#ifndef TESTS_UI_PIXEL_FIXTURE_H_
#define TESTS_UI_PIXEL_FIXTURE_H_

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ui/render/i_render_context.h"

namespace ui::testing {

inline cairo_status_t AppendPngBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// PNG bytes of a picture of columns x rows cells of cell x cell pixels, each
// cell filled with its colour (0xAARRGGBB, row by row).
inline std::string GridPng(int cell, int columns, int rows, const std::vector<uint32_t>& colours) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cell * columns, cell * rows);
  cairo_t* cr = cairo_create(surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const uint32_t argb = colours[static_cast<size_t>(r * columns + c)];
      cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                            (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
      cairo_rectangle(cr, c * cell, r * cell, cell, cell);
      cairo_fill(cr);
    }
  }
  cairo_destroy(cr);
  std::string bytes;
  cairo_surface_write_to_png_stream(surface, AppendPngBytes, &bytes);
  cairo_surface_destroy(surface);
  return bytes;
}

// The premultiplied pixel at (x, y) of a context's top-down rows.
inline uint32_t PixelAt(IRenderContext& context, int x, int y) {
  uint32_t pixel = 0;
  const uint8_t* bits = context.GetBits();
  std::memcpy(&pixel, bits + (static_cast<size_t>(y) * context.GetWidth() + x) * 4, 4);
  return pixel;
}

inline uint8_t AlphaAt(IRenderContext& context, int x, int y) {
  return static_cast<uint8_t>(PixelAt(context, x, y) >> 24);
}

// The extent of the pixels of the area whose alpha is not 0; right and
// bottom are -1 when there are none.
inline UiRect InkBounds(IRenderContext& context, const UiRect& area) {
  UiRect ink{1 << 20, 1 << 20, -1, -1};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (AlphaAt(context, x, y) == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return ink;
}

}  // namespace ui::testing

#endif  // TESTS_UI_PIXEL_FIXTURE_H_
