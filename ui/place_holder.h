// The base of every element of a control tree: what layout needs to know
// about it (name, window, parent, requested, minimum and maximum size,
// alignment, float flag, visibility, the rectangle it was given) and how an
// element whose size or visibility changed asks for a new layout and a
// repaint. UI thread only.
#ifndef UI_PLACE_HOLDER_H_
#define UI_PLACE_HOLDER_H_

#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class Box;
class IRenderContext;
class Window;

enum HorAlignType { kHorAlignLeft = 0, kHorAlignCenter = 1, kHorAlignRight = 2 };
enum VerAlignType { kVerAlignTop = 0, kVerAlignCenter = 1, kVerAlignBottom = 2 };

// Fixed sizes: a value >= 0 is pixels, these two are special.
inline constexpr int kSizeStretch = -1;
inline constexpr int kSizeAuto = -2;
inline constexpr int kDefaultMaxSize = 9999999;

class PlaceHolder : public virtual kbase::SupportWeakCallback {
 public:
  PlaceHolder();
  ~PlaceHolder() override;
  PlaceHolder(const PlaceHolder&) = delete;
  PlaceHolder& operator=(const PlaceHolder&) = delete;

  virtual Window* GetWindow() const;
  virtual void SetWindowOnly(Window* window);
  // Stores window and parent; with |init| and a parent, runs Init.
  virtual void SetWindow(Window* window, Box* parent, bool init);
  virtual void Init();
  virtual void DoInit();
  virtual bool IsVisible() const;
  virtual UiSize EstimateSize(UiSize available);
  virtual UiRect GetPos(bool include_shadow = true) const;
  virtual void SetPos(UiRect rect);
  // Auto-sized elements re-arrange from their ancestors, others themselves.
  virtual void Arrange();
  // The element's size changed: every auto-sized ancestor is estimated again
  // and the nearest one that is not auto-sized is arranged.
  virtual void ArrangeFromAncestor();
  virtual void Invalidate();
  virtual void ArrangeSelf();

  Box* GetParent() const { return parent_; }
  const std::u16string& GetName() const { return name_; }
  void SetName(const std::u16string& name) { name_ = name; }

  int GetFixedWidth() const { return fixed_width_; }
  int GetFixedHeight() const { return fixed_height_; }
  // Below -2 ignored; a positive value DPI-scaled when asked; with
  // |arrange_now| the ancestors re-arrange, otherwise only the estimate goes
  // stale.
  void SetFixedWidth(int width, bool arrange_now = true, bool dpi_scale = true);
  void SetFixedHeight(int height, bool dpi_scale = true);
  int GetMinWidth() const { return min_width_; }
  int GetMinHeight() const { return min_height_; }
  int GetMaxWidth() const { return max_width_; }
  int GetMaxHeight() const { return max_height_; }
  // Plain stores; the attributes add scaling and re-layout.
  void SetMinWidthValue(int value) { min_width_ = value; }
  void SetMinHeightValue(int value) { min_height_ = value; }
  void SetMaxWidthValue(int value) { max_width_ = value; }
  void SetMaxHeightValue(int value) { max_height_ = value; }

  HorAlignType GetHorAlignType() const { return hor_align_; }
  void SetHorAlignType(HorAlignType align) { hor_align_ = align; }
  VerAlignType GetVerAlignType() const { return ver_align_; }
  void SetVerAlignType(VerAlignType align) { ver_align_ = align; }
  bool IsFloat() const { return float_; }
  void SetFloatValue(bool value) { float_ = value; }

  bool IsReEstimateSize() const { return re_estimate_size_; }
  void SetReEstimateSize(bool value) { re_estimate_size_ = value; }
  bool IsArranged() const { return !need_arrange_; }
  bool NeedsArrange() const { return need_arrange_; }
  bool IsCacheEnabled() const { return cache_; }
  void SetCacheEnabled(bool value) { cache_ = value; }
  bool IsLayerDirty() const { return layer_dirty_; }
  void SetLayerDirty(bool value) { layer_dirty_ = value; }
  IRenderContext* GetLayer() const { return layer_.get(); }
  void SetLayer(std::unique_ptr<IRenderContext> layer);

  // The scroll position by which the element is drawn shifted: that of the
  // nearest scrolling ancestor; (0, 0) without one. The framework's plain
  // boxes never scroll.
  UiSize GetAncestorScrollOffset() const;

 protected:
  std::u16string name_;
  Window* window_ = nullptr;
  Box* parent_ = nullptr;
  int fixed_width_ = kSizeStretch;
  int fixed_height_ = kSizeStretch;
  int min_width_ = -1;
  int min_height_ = -1;
  int max_width_ = kDefaultMaxSize;
  int max_height_ = kDefaultMaxSize;
  UiRect rect_;
  HorAlignType hor_align_ = kHorAlignLeft;
  VerAlignType ver_align_ = kVerAlignTop;
  bool float_ = false;
  bool re_estimate_size_ = true;
  bool visible_ = true;
  bool internal_visible_ = true;
  bool need_arrange_ = true;
  bool cache_ = false;
  bool layer_dirty_ = false;
  std::unique_ptr<IRenderContext> layer_;
};

}  // namespace ui

#endif  // UI_PLACE_HOLDER_H_
