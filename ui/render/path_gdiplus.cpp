#include "ui/render/path_gdiplus.h"

#include <cairo.h>

#include <cmath>

#include "ui/render/matrix_gdiplus.h"
#include "ui/render/pen_gdiplus.h"

namespace ui {

namespace {

cairo_t* MakeScratch() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);
  return cr;
}

double Radians(double degrees) { return degrees * M_PI / 180.0; }

}  // namespace

Path_Gdiplus::Path_Gdiplus() : scratch_(MakeScratch()) {}

Path_Gdiplus::~Path_Gdiplus() { cairo_destroy(scratch_); }

std::unique_ptr<IPath> Path_Gdiplus::Clone() {
  auto clone = std::make_unique<Path_Gdiplus>();
  cairo_path_t* path = cairo_copy_path(scratch_);
  cairo_append_path(clone->scratch_, path);
  cairo_path_destroy(path);
  clone->fill_mode_ = fill_mode_;
  clone->figure_open_ = figure_open_;
  return clone;
}

void Path_Gdiplus::Reset() {
  cairo_new_path(scratch_);
  fill_mode_ = kFillModeAlternate;
  figure_open_ = false;
}

void Path_Gdiplus::StartFigure() { figure_open_ = false; }

void Path_Gdiplus::CloseFigure() {
  if (figure_open_) cairo_close_path(scratch_);
  figure_open_ = false;
}

void Path_Gdiplus::ContinueFigure(double x, double y) {
  if (figure_open_) {
    cairo_line_to(scratch_, x, y);
  } else {
    cairo_move_to(scratch_, x, y);
    figure_open_ = true;
  }
}

void Path_Gdiplus::AddLine(int x1, int y1, int x2, int y2) {
  ContinueFigure(x1, y1);
  cairo_line_to(scratch_, x2, y2);
}

void Path_Gdiplus::AddLines(const UiPoint* points, int count) {
  if (points == nullptr) return;
  for (int i = 0; i < count; ++i) ContinueFigure(points[i].x, points[i].y);
}

void Path_Gdiplus::AddBezier(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ContinueFigure(x1, y1);
  cairo_curve_to(scratch_, x2, y2, x3, y3, x4, y4);
}

void Path_Gdiplus::AddCurve(const UiPoint* points, int count) {
  if (points == nullptr || count < 2) return;
  // A cardinal spline of tension 0.5 as Bézier segments: the control points
  // lie along the chord of the neighbours, a sixth of it (tension / 3) away.
  constexpr double kFactor = 0.5 / 3.0;
  ContinueFigure(points[0].x, points[0].y);
  for (int i = 0; i + 1 < count; ++i) {
    const UiPoint& p0 = points[i > 0 ? i - 1 : i];
    const UiPoint& p1 = points[i];
    const UiPoint& p2 = points[i + 1];
    const UiPoint& p3 = points[i + 2 < count ? i + 2 : i + 1];
    cairo_curve_to(scratch_, p1.x + (p2.x - p0.x) * kFactor, p1.y + (p2.y - p0.y) * kFactor,
                   p2.x - (p3.x - p1.x) * kFactor, p2.y - (p3.y - p1.y) * kFactor, p2.x, p2.y);
  }
}

void Path_Gdiplus::AddRect(const UiRect& rect) { AddRectLTRB(rect.left, rect.top, rect.right, rect.bottom); }

void Path_Gdiplus::AddRectLTRB(int left, int top, int right, int bottom) {
  cairo_new_sub_path(scratch_);
  cairo_rectangle(scratch_, left, top, right - left, bottom - top);
  figure_open_ = false;
}

void Path_Gdiplus::AddEllipse(const UiRect& rect) {
  AddEllipseLTRB(rect.left, rect.top, rect.right, rect.bottom);
}

void Path_Gdiplus::AddEllipseLTRB(int left, int top, int right, int bottom) {
  const double w = right - left;
  const double h = bottom - top;
  if (w <= 0 || h <= 0) return;
  cairo_new_sub_path(scratch_);
  cairo_save(scratch_);
  cairo_translate(scratch_, left + w / 2, top + h / 2);
  cairo_scale(scratch_, w / 2, h / 2);
  cairo_arc(scratch_, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(scratch_);
  cairo_close_path(scratch_);
  figure_open_ = false;
}

void Path_Gdiplus::AddArcSegment(double x, double y, double width, double height, double start,
                                 double sweep) {
  if (width <= 0 || height <= 0) return;
  const double cx = x + width / 2;
  const double cy = y + height / 2;
  const double a0 = Radians(start);
  const double a1 = Radians(start + sweep);
  // The arc's first point joins the open figure with a line.
  ContinueFigure(cx + width / 2 * std::cos(a0), cy + height / 2 * std::sin(a0));
  cairo_save(scratch_);
  cairo_translate(scratch_, cx, cy);
  cairo_scale(scratch_, width / 2, height / 2);
  if (sweep >= 0) {
    cairo_arc(scratch_, 0, 0, 1, a0, a1);
  } else {
    cairo_arc_negative(scratch_, 0, 0, 1, a0, a1);
  }
  cairo_restore(scratch_);
}

void Path_Gdiplus::AddArc(int x, int y, int width, int height, float start_angle, float sweep_angle) {
  AddArcSegment(x, y, width, height, start_angle, sweep_angle);
}

void Path_Gdiplus::AddPie(int x, int y, int width, int height, float start_angle, float sweep_angle) {
  if (width <= 0 || height <= 0) return;
  figure_open_ = false;
  cairo_new_sub_path(scratch_);
  ContinueFigure(x + width / 2.0, y + height / 2.0);
  AddArcSegment(x, y, width, height, start_angle, sweep_angle);
  cairo_close_path(scratch_);
  figure_open_ = false;
}

void Path_Gdiplus::AddPolygon(const UiPoint* points, int count) {
  if (points == nullptr || count < 2) return;
  figure_open_ = false;
  for (int i = 0; i < count; ++i) ContinueFigure(points[i].x, points[i].y);
  cairo_close_path(scratch_);
  figure_open_ = false;
}

UiRect Path_Gdiplus::GetBounds(const IPen* pen) {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  const auto* gdi_pen = dynamic_cast<const Pen_GdiPlus*>(pen);
  if (gdi_pen != nullptr) {
    cairo_save(scratch_);
    gdi_pen->ApplyTo(scratch_);
    cairo_stroke_extents(scratch_, &x1, &y1, &x2, &y2);
    cairo_restore(scratch_);
  } else {
    cairo_path_extents(scratch_, &x1, &y1, &x2, &y2);
  }
  return UiRect{static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)),
                static_cast<int>(std::ceil(x2)), static_cast<int>(std::ceil(y2))};
}

bool Path_Gdiplus::IsContainsPoint(int x, int y) {
  cairo_set_fill_rule(scratch_, fill_mode_ == kFillModeWinding ? CAIRO_FILL_RULE_WINDING
                                                              : CAIRO_FILL_RULE_EVEN_ODD);
  return cairo_in_fill(scratch_, x, y);
}

bool Path_Gdiplus::IsStrokeContainsPoint(int x, int y, const IPen* pen) {
  const auto* gdi_pen = dynamic_cast<const Pen_GdiPlus*>(pen);
  if (gdi_pen == nullptr) return false;
  cairo_save(scratch_);
  gdi_pen->ApplyTo(scratch_);
  const bool inside = cairo_in_stroke(scratch_, x, y);
  cairo_restore(scratch_);
  return inside;
}

void Path_Gdiplus::Transform(const IMatrix* matrix) {
  const auto* gdi_matrix = dynamic_cast<const Matrix_Gdiplus*>(matrix);
  if (gdi_matrix == nullptr) return;
  cairo_path_t* path = cairo_copy_path(scratch_);
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    for (int j = 1; j < path->data[i].header.length; ++j) {
      cairo_matrix_transform_point(&gdi_matrix->matrix(), &path->data[i + j].point.x,
                                   &path->data[i + j].point.y);
    }
  }
  cairo_new_path(scratch_);
  cairo_append_path(scratch_, path);
  cairo_path_destroy(path);
}

void Path_Gdiplus::AppendTo(cairo_t* cr) const {
  cairo_new_path(cr);
  cairo_path_t* path = cairo_copy_path(scratch_);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
  cairo_set_fill_rule(cr, fill_mode_ == kFillModeWinding ? CAIRO_FILL_RULE_WINDING
                                                       : CAIRO_FILL_RULE_EVEN_ODD);
}

}  // namespace ui
