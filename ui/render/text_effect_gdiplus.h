// The text effect: a text turned into glyph outlines, stroked by a ramp of
// round-joined pens from the widest to the narrowest, then filled with a
// solid colour or a repeating diagonal two-colour gradient. With a character
// spacing the text is placed cluster by cluster (see text_clusters.h).
//
// Stroking several pens costs far more than copying pixels, so the finished
// picture is kept and only copied while the text, the font, the size of the
// rectangle, the format, the colour and the effect's own settings stay the
// same. Two pictures are kept, so a label that fades between its normal and
// hot colour copies both. UI thread only.
#ifndef UI_RENDER_TEXT_EFFECT_GDIPLUS_H_
#define UI_RENDER_TEXT_EFFECT_GDIPLUS_H_

#include <memory>
#include <string>
#include <vector>

#include "ui/render/i_text_effect.h"
#include "ui/render/text_clusters.h"

namespace ui {

class TextLayout;

class TextEffect_GdiPlus final : public ITextEffect {
 public:
  // The widest outline a skin can ask for: each pixel of width is one more
  // stroke of the whole text.
  static constexpr int kMaxOutlineWidth = 16;

  TextEffect_GdiPlus();
  ~TextEffect_GdiPlus() override;
  TextEffect_GdiPlus(const TextEffect_GdiPlus&) = delete;
  TextEffect_GdiPlus& operator=(const TextEffect_GdiPlus&) = delete;

  void SetTextGradient(ARGB color1, ARGB color2, float factor_x, float factor_y) override;
  // A width beyond kMaxOutlineWidth is taken as that width; 0 or less gives
  // no outline.
  void SetOutline(ARGB color1, ARGB color2, int width, bool gradient) override;
  void SetCharSpacing(int spacing) override;
  int GetCharSpacing() override { return char_spacing_; }
  void DrawText(const UiRect& rect, const std::u16string& text, ARGB color, _cairo* graphics,
                HFONT font, const TextFormat& format) override;

  // One colour a pen, from the narrowest pen to the widest.
  const std::vector<ARGB>& GetOutlineRamp() const { return ramp_; }
  // How many times the picture was drawn anew (not copied from the cache).
  int GetPictureBuildCount() const { return picture_builds_; }

 private:
  struct PictureKey;
  struct Picture;

  // Adds the glyph outlines of the text, in a rectangle at (0, 0) of the
  // rectangle's size, to the context's path.
  void AppendTextPath(_cairo* cr, int width, int height, const std::u16string& text, HFONT bold,
                      const TextFormat& format);
  void AppendClusterPath(_cairo* cr, int width, int height, const std::u16string& text, HFONT bold,
                         const TextFormat& format);
  int SpaceWidth(HFONT bold);
  // Strokes and fills the current path of the context.
  void PaintPath(_cairo* cr, int width, int height, ARGB color) const;
  std::unique_ptr<Picture> BuildPicture(int width, int height, const std::u16string& text,
                                        ARGB color, HFONT font, const TextFormat& format);
  void SettingsChanged();
  // The picture of the key, drawn now when it is not kept.
  const Picture& PictureFor(PictureKey key, const std::u16string& text, ARGB color, HFONT font,
                            const TextFormat& format);

  bool outline_ = false;
  std::vector<ARGB> ramp_;
  bool gradient_ = false;
  ARGB gradient_color1_ = 0;
  ARGB gradient_color2_ = 0;
  float factor_x_ = 0.3f;
  float factor_y_ = 0.3f;
  int char_spacing_ = 0;

  // The cluster layout of the last text drawn with spacing.
  std::u16string cached_text_;
  std::vector<ClusterLine> lines_;
  // The space width of the font it was measured with.
  std::string space_font_;
  int space_width_ = -1;

  std::unique_ptr<TextLayout> layout_;
  // The most recently drawn first.
  std::vector<std::unique_ptr<Picture>> pictures_;
  int picture_builds_ = 0;
};

}  // namespace ui

#endif  // UI_RENDER_TEXT_EFFECT_GDIPLUS_H_
