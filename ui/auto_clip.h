// A scoped clip on a render context: pushed when the condition holds, popped
// (one level) when the scope ends, so an inner clip's end restores the clip
// of the enclosing scope.
#ifndef UI_AUTO_CLIP_H_
#define UI_AUTO_CLIP_H_

#include "base/callback/weak_callback.h"
#include "ui/render/i_render_context.h"

namespace ui {

class AutoClip : public virtual kbase::SupportWeakCallback {
 public:
  AutoClip(IRenderContext* render, const UiRect& rect, bool clip = true);
  AutoClip(IRenderContext* render, const UiRect& rect, int round_width, int round_height,
           bool clip = true);
  ~AutoClip() override;
  AutoClip(const AutoClip&) = delete;
  AutoClip& operator=(const AutoClip&) = delete;

 private:
  IRenderContext* render_;
  bool applied_ = false;
};

}  // namespace ui

#endif  // UI_AUTO_CLIP_H_
