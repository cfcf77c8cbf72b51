// A fill: a solid colour, or a tiled bitmap.
#ifndef UI_RENDER_I_BRUSH_H_
#define UI_RENDER_I_BRUSH_H_

#include <memory>

#include "base/callback/weak_callback.h"
#include "ui/render/i_bitmap.h"

namespace ui {

class IBrush : public virtual kbase::SupportWeakCallback {
 public:
  ~IBrush() override = default;
  virtual std::unique_ptr<IBrush> Clone() = 0;
  // 0 for a bitmap brush.
  virtual ARGB GetColor() = 0;
  // The brush's bitmap slot; the implementation here never fills it.
  virtual IBitmap* GetBitmap() = 0;

 protected:
  std::unique_ptr<IBitmap> bitmap_;
};

}  // namespace ui

#endif  // UI_RENDER_I_BRUSH_H_
