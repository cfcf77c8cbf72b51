#include "ui/render/text_effect_gdiplus.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "ui/render/pen_gdiplus.h"
#include "ui/render/text_layout.h"
#include "ui/wide_text.h"

namespace ui {
namespace {

// How far a picture may reach beyond its rectangle (text drawn without
// clipping spills over), so a picture stays a bounded size.
constexpr int kPictureReach = 256;
constexpr int kMaxPictureSide = 8192;
constexpr size_t kKeptPictures = 2;

uint8_t Channel(ARGB color, int shift) { return static_cast<uint8_t>((color >> shift) & 0xFF); }

ARGB Blend(ARGB from, ARGB to, double t) {
  ARGB result = 0xFF000000;
  for (int shift : {16, 8, 0}) {
    const double value = Channel(from, shift) + (Channel(to, shift) - Channel(from, shift)) * t;
    result |= static_cast<ARGB>(std::lround(std::clamp(value, 0.0, 255.0))) << shift;
  }
  return result;
}

void AddStop(cairo_pattern_t* pattern, double offset, ARGB color) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, Channel(color, 16) / 255.0,
                                    Channel(color, 8) / 255.0, Channel(color, 0) / 255.0,
                                    Channel(color, 24) / 255.0);
}

// A bold copy of the font: effect text is always drawn bold.
class BoldFont {
 public:
  explicit BoldFont(HFONT font) : font_(pango_font_description_copy(font)) {
    pango_font_description_set_weight(font_, PANGO_WEIGHT_BOLD);
  }
  ~BoldFont() { pango_font_description_free(font_); }
  BoldFont(const BoldFont&) = delete;
  BoldFont& operator=(const BoldFont&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_;
};

std::string FontKey(HFONT font) {
  char* description = pango_font_description_to_string(font);
  std::string key = description != nullptr ? description : "";
  g_free(description);
  return key;
}

const TextFormat kOneLine{0, 0, TextFormat::kNoWrap, false};

}  // namespace

struct TextEffect_GdiPlus::PictureKey {
  std::u16string text;
  std::string font;
  int width = 0;
  int height = 0;
  TextFormat format;
  ARGB color = 0;

  bool operator==(const PictureKey& other) const {
    return text == other.text && font == other.font && width == other.width &&
           height == other.height && format.alignment == other.format.alignment &&
           format.line_alignment == other.format.line_alignment &&
           format.flags == other.format.flags && format.ellipsis == other.format.ellipsis &&
           color == other.color;
  }
};

struct TextEffect_GdiPlus::Picture {
  ~Picture() {
    if (surface != nullptr) cairo_surface_destroy(surface);
  }
  PictureKey key;
  cairo_surface_t* surface = nullptr;  // null when the text leaves no ink
  int left = 0;  // where the surface sits, relative to the rectangle
  int top = 0;
};

TextEffect_GdiPlus::TextEffect_GdiPlus() : layout_(std::make_unique<TextLayout>()) {}

TextEffect_GdiPlus::~TextEffect_GdiPlus() = default;

void TextEffect_GdiPlus::SettingsChanged() { pictures_.clear(); }

void TextEffect_GdiPlus::SetTextGradient(ARGB color1, ARGB color2, float factor_x, float factor_y) {
  gradient_ = true;
  gradient_color1_ = color1;
  gradient_color2_ = color2;
  factor_x_ = factor_x;
  factor_y_ = factor_y;
  SettingsChanged();
}

void TextEffect_GdiPlus::SetOutline(ARGB color1, ARGB color2, int width, bool gradient) {
  outline_ = true;
  ramp_.clear();
  const int n = std::min(width, kMaxOutlineWidth);
  for (int i = 0; i < n; ++i) {
    if (gradient) {
      // The colour at the middle of pixel i of an n-pixel horizontal ramp.
      ramp_.push_back(Blend(color1, color2, (i + 0.5) / n));
    } else {
      ramp_.push_back(i < n / 2 ? color1 : color2);
    }
  }
  SettingsChanged();
}

void TextEffect_GdiPlus::SetCharSpacing(int spacing) {
  char_spacing_ = spacing;
  SettingsChanged();
}

int TextEffect_GdiPlus::SpaceWidth(HFONT bold) {
  const std::string key = FontKey(bold);
  if (space_width_ < 0 || key != space_font_) {
    const int spaced = layout_->Measure("a a", bold, kOneLine, -1).cx;
    const int joined = layout_->Measure("aa", bold, kOneLine, -1).cx;
    space_width_ = std::max(1, spaced - joined);
    space_font_ = key;
  }
  return space_width_;
}

void TextEffect_GdiPlus::AppendTextPath(cairo_t* cr, int width, int height,
                                        const std::u16string& text, HFONT bold,
                                        const TextFormat& format) {
  if (char_spacing_ <= 0) {
    layout_->AppendPath(cr, UiRect{0, 0, width, height}, Utf16ToUtf8(text), bold, format);
    return;
  }
  AppendClusterPath(cr, width, height, text, bold, format);
}

void TextEffect_GdiPlus::AppendClusterPath(cairo_t* cr, int width, int height,
                                           const std::u16string& text, HFONT bold,
                                           const TextFormat& format) {
  if (text != cached_text_) {
    lines_ = SplitTextClusters(text);
    cached_text_ = text;
  }
  const int spacing = char_spacing_;
  struct Placed {
    std::string utf8;  // empty for a space
    int advance = 0;
    int width = 0;
  };
  // First the sizes: every cluster's advance, each line's width and top.
  std::vector<std::vector<Placed>> lines;
  std::vector<int> line_widths;
  std::vector<int> line_tops;
  int running_height = 0;
  int y = 0;
  for (size_t l = 0; l < lines_.size(); ++l) {
    if (l > 0) y += running_height;
    line_tops.push_back(y);
    std::vector<Placed> placed;
    int line_width = 0;
    for (const std::u16string& cluster : lines_[l]) {
      Placed p;
      if (cluster == u" ") {
        p.advance = SpaceWidth(bold) + spacing;
      } else {
        p.utf8 = Utf16ToUtf8(cluster);
        const UiSize size = layout_->Measure(p.utf8, bold, kOneLine, -1);
        p.width = size.cx;
        p.advance = spacing + size.cx;
        running_height = std::max(running_height, size.cy);
      }
      line_width += p.advance;
      placed.push_back(std::move(p));
    }
    // The spacing after the last cluster is not part of the visible line.
    if (!placed.empty()) line_width -= spacing;
    line_widths.push_back(line_width);
    lines.push_back(std::move(placed));
  }
  const int block_height = lines.empty() ? 0 : line_tops.back() + running_height;
  int top = 0;
  if (format.line_alignment == 1) top = (height - block_height) / 2;
  if (format.line_alignment == 2) top = height - block_height;

  // Then the outlines, each line placed in the rectangle as its alignment says.
  for (size_t l = 0; l < lines.size(); ++l) {
    int x = 0;
    if (format.alignment == 1) x = (width - line_widths[l]) / 2;
    if (format.alignment == 2) x = width - line_widths[l];
    for (const Placed& p : lines[l]) {
      if (!p.utf8.empty()) {
        const int line_y = top + line_tops[l];
        layout_->AppendPath(cr, UiRect{x, line_y, x + p.width, line_y + running_height}, p.utf8,
                            bold, kOneLine);
      }
      x += p.advance;
    }
  }
}

void TextEffect_GdiPlus::PaintPath(cairo_t* cr, int width, int height, ARGB color) const {
  cairo_path_t* path = cairo_copy_path(cr);
  cairo_new_path(cr);
  // Widest pen first, each narrower one over it; the fill then covers the
  // inner half of the strokes.
  if (outline_) {
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (size_t i = ramp_.size(); i >= 1; --i) {
      cairo_append_path(cr, path);
      cairo_set_line_width(cr, static_cast<double>(i));
      SetSourceArgb(cr, ramp_[i - 1]);
      cairo_stroke(cr);
    }
  }
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  const double gradient_width = width * static_cast<double>(factor_x_);
  const double gradient_height = height * static_cast<double>(factor_y_);
  if (gradient_ && gradient_width > 0 && gradient_height > 0) {
    // Forward diagonal: colour 1 at the top-left corner, colour 2 at the
    // bottom-right one, the colours constant along lines parallel to the
    // other diagonal; repeated over the whole text.
    const double w = gradient_width;
    const double h = gradient_height;
    const double t = 2 * w * h / (w * w + h * h);
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, 0, t * h, t * w);
    AddStop(pattern, 0, gradient_color1_);
    AddStop(pattern, 1, gradient_color2_);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
  } else {
    SetSourceArgb(cr, gradient_ ? gradient_color1_ : color);
  }
  cairo_fill(cr);
}

std::unique_ptr<TextEffect_GdiPlus::Picture> TextEffect_GdiPlus::BuildPicture(
    int width, int height, const std::u16string& text, ARGB color, HFONT font,
    const TextFormat& format) {
  ++picture_builds_;
  auto picture = std::make_unique<Picture>();
  const BoldFont bold(font);

  // The path is made once on a scratch context, measured, then painted into
  // a surface just large enough for it.
  cairo_surface_t* scratch_surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
  cairo_t* scratch = cairo_create(scratch_surface);
  AppendTextPath(scratch, width, height, text, bold.get(), format);
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_fill_extents(scratch, &x1, &y1, &x2, &y2);
  if (outline_ && !ramp_.empty()) {
    cairo_set_line_join(scratch, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(scratch, static_cast<double>(ramp_.size()));
    double s1 = 0, t1 = 0, s2 = 0, t2 = 0;
    cairo_stroke_extents(scratch, &s1, &t1, &s2, &t2);
    if (s2 > s1 && t2 > t1) {
      x1 = std::min(x1, s1);
      y1 = std::min(y1, t1);
      x2 = std::max(x2, s2);
      y2 = std::max(y2, t2);
    }
  }
  cairo_path_t* path = cairo_copy_path(scratch);
  cairo_destroy(scratch);
  cairo_surface_destroy(scratch_surface);

  const int reach_right = std::min(width, kMaxPictureSide) + kPictureReach;
  const int reach_bottom = std::min(height, kMaxPictureSide) + kPictureReach;
  const int left = std::max(-kPictureReach, static_cast<int>(std::floor(x1)) - 1);
  const int top = std::max(-kPictureReach, static_cast<int>(std::floor(y1)) - 1);
  const int right = std::min(reach_right, static_cast<int>(std::ceil(x2)) + 1);
  const int bottom = std::min(reach_bottom, static_cast<int>(std::ceil(y2)) + 1);
  if (x2 > x1 && y2 > y1 && right > left && bottom > top) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, right - left, bottom - top);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
      cairo_t* cr = cairo_create(surface);
      cairo_translate(cr, -left, -top);
      cairo_append_path(cr, path);
      PaintPath(cr, width, height, color);
      cairo_destroy(cr);
      picture->surface = surface;
      picture->left = left;
      picture->top = top;
    } else {
      cairo_surface_destroy(surface);
    }
  }
  cairo_path_destroy(path);
  return picture;
}

const TextEffect_GdiPlus::Picture& TextEffect_GdiPlus::PictureFor(PictureKey key,
                                                                  const std::u16string& text,
                                                                  ARGB color, HFONT font,
                                                                  const TextFormat& format) {
  auto kept = std::find_if(pictures_.begin(), pictures_.end(),
                           [&key](const auto& picture) { return picture->key == key; });
  if (kept != pictures_.end()) {
    std::rotate(pictures_.begin(), kept, kept + 1);
    return *pictures_.front();
  }
  std::unique_ptr<Picture> picture = BuildPicture(key.width, key.height, text, color, font, format);
  picture->key = std::move(key);
  pictures_.insert(pictures_.begin(), std::move(picture));
  if (pictures_.size() > kKeptPictures) pictures_.pop_back();
  return *pictures_.front();
}

void TextEffect_GdiPlus::DrawText(const UiRect& rect, const std::u16string& text, ARGB color,
                                  cairo_t* graphics, HFONT font, const TextFormat& format) {
  if (graphics == nullptr || font == nullptr || text.empty()) return;
  PictureKey key;
  key.text = text;
  key.font = FontKey(font);
  key.width = rect.Width();
  key.height = rect.Height();
  key.format = format;
  key.color = gradient_ ? 0 : color;  // a gradient fill does not use the colour
  const Picture& picture = PictureFor(std::move(key), text, color, font, format);
  if (picture.surface == nullptr) return;
  cairo_save(graphics);
  if ((format.flags & TextFormat::kNoClip) == 0) {
    cairo_rectangle(graphics, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(graphics);
  }
  cairo_set_source_surface(graphics, picture.surface, rect.left + picture.left,
                           rect.top + picture.top);
  cairo_paint(graphics);
  cairo_restore(graphics);
}

}  // namespace ui
