// The one maker of render objects. Every object it returns belongs to the
// caller alone.
#ifndef UI_RENDER_I_RENDER_FACTORY_H_
#define UI_RENDER_I_RENDER_FACTORY_H_

#include <memory>

#include "ui/render/i_bitmap.h"
#include "ui/render/i_brush.h"
#include "ui/render/i_matrix.h"
#include "ui/render/i_path.h"
#include "ui/render/i_pen.h"
#include "ui/render/i_render_context.h"
#include "ui/render/i_text_effect.h"

namespace ui {

class IRenderFactory {
 public:
  // The factory is owned and deleted through this interface, so the
  // destructor is virtual.
  virtual ~IRenderFactory() = default;
  virtual std::unique_ptr<IPen> CreatePen(ARGB color, int width = 1) = 0;
  virtual std::unique_ptr<IBrush> CreateBitmapBrush(HBITMAP bitmap) = 0;
  virtual std::unique_ptr<IBrush> CreateBrush(ARGB color) = 0;
  virtual std::unique_ptr<IMatrix> CreateMatrix() = 0;
  virtual std::unique_ptr<IPath> CreatePath() = 0;
  virtual std::unique_ptr<IBitmap> CreateBitmap() = 0;
  virtual std::unique_ptr<IRenderContext> CreateRenderContext() = 0;
  virtual std::unique_ptr<ITextEffect> CreateTextEffect() = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_RENDER_FACTORY_H_
