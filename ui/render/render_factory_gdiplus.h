// The render factory: makes the cairo/pango render objects. It holds no
// state.
#ifndef UI_RENDER_RENDER_FACTORY_GDIPLUS_H_
#define UI_RENDER_RENDER_FACTORY_GDIPLUS_H_

#include "ui/render/i_render_factory.h"

namespace ui {

class RenderFactory_GdiPlus final : public IRenderFactory {
 public:
  std::unique_ptr<IPen> CreatePen(ARGB color, int width = 1) override;
  std::unique_ptr<IBrush> CreateBitmapBrush(HBITMAP bitmap) override;
  std::unique_ptr<IBrush> CreateBrush(ARGB color) override;
  std::unique_ptr<IMatrix> CreateMatrix() override;
  std::unique_ptr<IPath> CreatePath() override;
  std::unique_ptr<IBitmap> CreateBitmap() override;
  std::unique_ptr<IRenderContext> CreateRenderContext() override;
  std::unique_ptr<ITextEffect> CreateTextEffect() override;
};

}  // namespace ui

#endif  // UI_RENDER_RENDER_FACTORY_GDIPLUS_H_
