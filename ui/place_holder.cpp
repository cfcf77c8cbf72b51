#include "ui/place_holder.h"

#include "ui/box.h"
#include "ui/dpi_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/window.h"

namespace ui {

PlaceHolder::PlaceHolder() = default;
PlaceHolder::~PlaceHolder() = default;

Window* PlaceHolder::GetWindow() const { return window_; }

void PlaceHolder::SetWindowOnly(Window* window) { window_ = window; }

void PlaceHolder::SetWindow(Window* window, Box* parent, bool init) {
  window_ = window;
  parent_ = parent;
  if (init && parent_ != nullptr) Init();
}

void PlaceHolder::Init() { DoInit(); }

void PlaceHolder::DoInit() {}

bool PlaceHolder::IsVisible() const { return visible_ && internal_visible_; }

UiSize PlaceHolder::EstimateSize(UiSize /*available*/) { return UiSize{fixed_width_, fixed_height_}; }

UiRect PlaceHolder::GetPos(bool /*include_shadow*/) const { return rect_; }

void PlaceHolder::SetPos(UiRect rect) { rect_ = rect; }

void PlaceHolder::Arrange() {
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto) {
    ArrangeFromAncestor();
  } else {
    ArrangeSelf();
  }
}

void PlaceHolder::ArrangeFromAncestor() {
  re_estimate_size_ = true;
  PlaceHolder* target = nullptr;
  if (window_ != nullptr && window_->GetRoot() != nullptr) {
    Box* ancestor = parent_;
    while (ancestor != nullptr && (ancestor->GetFixedWidth() == kSizeAuto ||
                                   ancestor->GetFixedHeight() == kSizeAuto)) {
      ancestor->SetReEstimateSize(true);
      ancestor = ancestor->GetParent();
    }
    target = ancestor;
    if (target == nullptr) target = window_->GetRoot();
  } else {
    target = parent_ != nullptr ? static_cast<PlaceHolder*>(parent_) : this;
  }
  target->ArrangeSelf();
}

void PlaceHolder::Invalidate() {
  if (!IsVisible()) return;
  layer_dirty_ = true;
  if (window_ == nullptr) return;
  UiRect rect = GetPos(true);
  UiSize offset = GetAncestorScrollOffset();
  rect.left -= offset.cx;
  rect.right -= offset.cx;
  rect.top -= offset.cy;
  rect.bottom -= offset.cy;
  window_->InvalidateArea(rect);
}

void PlaceHolder::ArrangeSelf() {
  if (!IsVisible()) return;
  re_estimate_size_ = true;
  need_arrange_ = true;
  Invalidate();
  if (window_ != nullptr) window_->SetArrange(true);
}

void PlaceHolder::SetFixedWidth(int width, bool arrange_now, bool dpi_scale) {
  if (width < kSizeAuto) return;
  if (width > 0 && dpi_scale) width = DpiManager::GetInstance()->ScaleInt(width);
  if (width == fixed_width_) return;
  fixed_width_ = width;
  if (arrange_now) {
    ArrangeFromAncestor();
  } else {
    re_estimate_size_ = true;
  }
}

void PlaceHolder::SetFixedHeight(int height, bool dpi_scale) {
  if (height < kSizeAuto) return;
  if (height > 0 && dpi_scale) height = DpiManager::GetInstance()->ScaleInt(height);
  if (height == fixed_height_) return;
  fixed_height_ = height;
  ArrangeFromAncestor();
}

void PlaceHolder::SetLayer(std::unique_ptr<IRenderContext> layer) { layer_ = std::move(layer); }

UiSize PlaceHolder::GetAncestorScrollOffset() const {
  for (const Box* ancestor = parent_; ancestor != nullptr; ancestor = ancestor->GetParent()) {
    if (ancestor->IsScrolling()) {
      if (ancestor == parent_ && float_ && ancestor->IsScrollingVertically()) return UiSize{};
      return ancestor->GetScrollOffset();
    }
  }
  return UiSize{};
}

}  // namespace ui
