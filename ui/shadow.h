// A window's drop shadow: whether it is attached, the 9-grid picture it is
// drawn with, and its corner (the width of the shadow margin on each side,
// DPI-scaled). AttachShadow wraps the window's root in a ShadowBox that
// draws the picture around it; the window takes what it returns as its root.
// While the window is maximized the corner is zero.
#ifndef UI_SHADOW_H_
#define UI_SHADOW_H_

#include <string>

#include "ui/render/render_types.h"

namespace ui {

class Control;
class ShadowBox;

class Shadow {
 public:
  // The picture used when the skin names none.
  static constexpr char16_t kDefaultImage[] =
      u"file='../public/bk_shadow.png' corner='30,30,30,30'";
  static constexpr int kDefaultCorner = 14;

  Shadow();

  // The root to attach: |root| itself when the shadow is not attached,
  // otherwise a new ShadowBox holding it (owned by the tree from then on).
  Control* AttachShadow(Control* root);

  bool IsShadowAttached() const { return attached_; }
  void SetShadowAttached(bool attached) { attached_ = attached; }
  bool IsDefaultImage() const { return default_image_; }
  const std::u16string& GetShadowImage() const { return image_; }
  void SetShadowImage(const std::u16string& image);
  // Insets on each side, unscaled; stored DPI-scaled.
  void SetShadowCorner(UiRect corner);
  UiRect GetShadowCorner() const { return corner_; }
  UiRect GetUnscaledShadowCorner() const { return corner_unscaled_; }
  // No shadow margin while the window fills the screen; the saved corner
  // comes back when it is restored.
  void MaximizedOrRestored(bool maximized);
  ShadowBox* GetShadowBox() const { return box_; }

 private:
  bool attached_ = true;
  bool default_image_ = true;
  std::u16string image_ = kDefaultImage;
  UiRect corner_;
  UiRect corner_unscaled_;
  UiRect corner_copy_;
  ShadowBox* box_ = nullptr;
};

}  // namespace ui

#endif  // UI_SHADOW_H_
