// Clip pushes and pops on a DC record; each push must be undone by one
// ClearClip.
#ifndef UI_RENDER_I_CLIP_H_
#define UI_RENDER_I_CLIP_H_

#include "base/callback/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class IClip : public virtual kbase::SupportWeakCallback {
 public:
  ~IClip() override = default;
  virtual void CreateClip(HDC dc, const UiRect& rect) = 0;
  virtual void CreateRoundClip(HDC dc, const UiRect& rect, int width, int height) = 0;
  virtual void ClearClip(HDC dc) = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_CLIP_H_
