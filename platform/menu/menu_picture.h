// The look of a pop-up menu: one row a text item, measured and drawn with
// pango on a cairo surface (an opaque light ground, a thin border, the hot
// row highlighted), handed to the window as a premultiplied picture.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/window/geometry.h"
#include "platform/window/window_backend.h"

namespace platform {

class MenuPicture {
 public:
  static constexpr int kItemHeight = 26;
  static constexpr int kTextPadding = 16;
  static constexpr int kBorder = 1;
  static constexpr int kMinWidth = 140;

  MenuPicture();
  ~MenuPicture();
  MenuPicture(const MenuPicture&) = delete;
  MenuPicture& operator=(const MenuPicture&) = delete;

  // Lays the texts out; the menu's size follows from them.
  void SetItems(const std::vector<std::u16string>& texts);
  Size size() const { return Size{width_, height_}; }
  // The row of an item (client coordinates); empty for no such item.
  Rect ItemRect(int index) const;
  // The item under a client point, -1 for none.
  int ItemAt(Point client) const;
  // Draws every row, `hot` highlighted (-1: none). The picture's pixels stay
  // valid until the next Draw or SetItems.
  PresentBuffer Draw(int hot);

 private:
  struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  };

  std::vector<std::string> texts_;  // UTF-8
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface_;
};

}  // namespace platform
