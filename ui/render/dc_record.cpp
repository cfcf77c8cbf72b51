#include "ui/render/dc_record.h"

#include <cairo.h>

#include <cmath>

namespace ui {

namespace {

// The path of a round-rectangle region: GDI's CreateRoundRectRgn of
// (left, top, right + 1, bottom + 1) covers the rectangle with corner
// ellipses of the given size.
void AddRoundRect(cairo_t* cr, const UiRect& r, int ellipse_width, int ellipse_height) {
  const double w = r.Width() + 1.0;
  const double h = r.Height() + 1.0;
  const double rx = std::min<double>(ellipse_width / 2.0, w / 2.0);
  const double ry = std::min<double>(ellipse_height / 2.0, h / 2.0);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    return;
  }
  cairo_new_sub_path(cr);
  const double corners[4][3] = {{r.left + w - rx, r.top + ry, -M_PI / 2},
                                {r.left + w - rx, r.top + h - ry, 0},
                                {r.left + rx, r.top + h - ry, M_PI / 2},
                                {r.left + rx, r.top + ry, M_PI}};
  for (const auto& c : corners) {
    cairo_save(cr);
    cairo_translate(cr, c[0], c[1]);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, c[2], c[2] + M_PI / 2);
    cairo_restore(cr);
  }
  cairo_close_path(cr);
}

}  // namespace

int DcRecord::Save() {
  saved.push_back(state);
  return static_cast<int>(saved.size());
}

bool DcRecord::Restore(int saved_state) {
  size_t index = 0;
  if (saved_state < 0) {
    const size_t back = static_cast<size_t>(-static_cast<int64_t>(saved_state));
    if (back > saved.size()) return false;
    index = saved.size() - back;
  } else {
    if (saved_state == 0 || static_cast<size_t>(saved_state) > saved.size()) return false;
    index = static_cast<size_t>(saved_state) - 1;
  }
  state = saved[index];
  saved.resize(index);
  return true;
}

void DcRecord::PushClip(const UiRect& logical_rect, int ellipse_width, int ellipse_height) {
  Save();
  UiRect device{logical_rect.left - state.window_org.x, logical_rect.top - state.window_org.y,
                logical_rect.right - state.window_org.x, logical_rect.bottom - state.window_org.y};
  if (device.right < device.left) device.right = device.left;
  if (device.bottom < device.top) device.bottom = device.top;
  const bool round = ellipse_width > 0 && ellipse_height > 0;
  // The round region reaches one pixel further right and down.
  UiRect bounds = device;
  if (round) {
    bounds.right += 1;
    bounds.bottom += 1;
  }
  if (state.has_clip) {
    UiRect meet = IntersectRect(state.clip_bounds, bounds);
    state.clip_bounds = meet;
  } else {
    state.clip_bounds = bounds;
    state.has_clip = true;
  }
  if (round) state.round_clips.push_back({device, ellipse_width, ellipse_height});
}

UiRect DcRecord::DeviceClipBounds() const {
  if (surface == nullptr) return UiRect{};
  const UiRect whole{0, 0, cairo_image_surface_get_width(surface),
                     cairo_image_surface_get_height(surface)};
  return state.has_clip ? IntersectRect(whole, state.clip_bounds) : whole;
}

cairo_t* DcRecord::MakeContext() const {
  if (surface == nullptr) return nullptr;
  cairo_t* cr = cairo_create(surface);
  if (state.has_clip) {
    const UiRect& b = state.clip_bounds;
    cairo_rectangle(cr, b.left, b.top, std::max(0, b.Width()), std::max(0, b.Height()));
    cairo_clip(cr);
    for (const ClipShape& shape : state.round_clips) {
      AddRoundRect(cr, shape.rect, shape.ellipse_width, shape.ellipse_height);
      cairo_clip(cr);
    }
  }
  cairo_translate(cr, -state.window_org.x, -state.window_org.y);
  return cr;
}

}  // namespace ui
