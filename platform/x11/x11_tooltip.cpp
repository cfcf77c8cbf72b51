#include "platform/x11/x11_tooltip.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "platform/text/utf_conversion.h"

namespace platform::x11 {
namespace {

constexpr int kPadding = 4;
constexpr double kFontSizePt = 9.0;

PangoLayout* MakeLayout(cairo_t* cr, const std::string& text, int max_width) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("sans");
  pango_font_description_set_size(font, static_cast<int>(kFontSizePt * PANGO_SCALE));
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  if (max_width > 2 * kPadding) {
    pango_layout_set_width(layout, (max_width - 2 * kPadding) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  return layout;
}

}  // namespace

X11Tooltip::X11Tooltip(Display* display, Window root, int screen)
    : display_(display), root_(root), screen_(screen) {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.save_under = True;
  window_ = XCreateWindow(display_, root_, 0, 0, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWSaveUnder, &attributes);
  // Marked as a tooltip for compositors that look.
  const Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
  Atom tooltip = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
  XChangeProperty(display_, window_, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&tooltip),
                  1);
}

X11Tooltip::~X11Tooltip() {
  if (pixmap_) XFreePixmap(display_, pixmap_);
  if (window_) XDestroyWindow(display_, window_);
  XFlush(display_);
}

void X11Tooltip::Show(const std::u16string& text, Point at, int max_width, const Rect& screen_area) {
  const std::string utf8 = UTF16ToUTF8(text);
  // Measure on a scratch surface, then draw into a pixmap of that size.
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* measure = cairo_create(scratch);
  PangoLayout* layout = MakeLayout(measure, utf8, max_width);
  int text_width = 0;
  int text_height = 0;
  pango_layout_get_pixel_size(layout, &text_width, &text_height);
  g_object_unref(layout);
  cairo_destroy(measure);
  cairo_surface_destroy(scratch);

  const int width = std::max(1, text_width + 2 * kPadding);
  const int height = std::max(1, text_height + 2 * kPadding);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1.0, 1.0, 225.0 / 255.0);  // #FFFFE1, the usual tooltip ground
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.46, 0.46, 0.46);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
  cairo_move_to(cr, kPadding, kPadding);
  layout = MakeLayout(cr, utf8, max_width);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  PutIntoPixmap(surface, width, height);
  cairo_surface_destroy(surface);

  // Kept on screen: moved left or above the point where it would overflow.
  int x = at.x;
  int y = at.y;
  if (!screen_area.IsEmpty()) {
    x = std::clamp(x, screen_area.left, std::max(screen_area.left, screen_area.right - width));
    y = std::clamp(y, screen_area.top, std::max(screen_area.top, screen_area.bottom - height));
  }
  XMoveResizeWindow(display_, window_, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XMapRaised(display_, window_);
  XClearWindow(display_, window_);
  XFlush(display_);
  shown_ = true;
}

// The picture becomes the window's background, so the server repaints the
// tooltip by itself. Its pixels are 32-bit xRGB, which a 24- or 32-bit
// true-colour screen takes as they are.
void X11Tooltip::PutIntoPixmap(cairo_surface_t* surface, int width, int height) {
  if (pixmap_) XFreePixmap(display_, pixmap_);
  pixmap_ = 0;
  const int depth = DefaultDepth(display_, screen_);
  if (depth != 24 && depth != 32) return;  // the plain background shows
  pixmap_ = XCreatePixmap(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height),
                          static_cast<unsigned>(depth));
  XImage* image = XCreateImage(display_, DefaultVisual(display_, screen_), static_cast<unsigned>(depth), ZPixmap, 0,
                               reinterpret_cast<char*>(cairo_image_surface_get_data(surface)),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                               cairo_image_surface_get_stride(surface));
  if (image == nullptr) return;
  GC gc = XCreateGC(display_, pixmap_, 0, nullptr);
  XPutImage(display_, pixmap_, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFreeGC(display_, gc);
  image->data = nullptr;  // the surface's own pixels
  XDestroyImage(image);
  XSetWindowBackgroundPixmap(display_, window_, pixmap_);
}

void X11Tooltip::Hide() {
  if (!shown_) return;
  XUnmapWindow(display_, window_);
  XFlush(display_);
  shown_ = false;
}

}  // namespace platform::x11
