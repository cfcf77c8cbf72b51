#include "ui/shadow.h"

#include "ui/control.h"
#include "ui/dpi_manager.h"
#include "ui/shadow_box.h"

namespace ui {
namespace {

// The box takes the root's fixed size plus the shadow on both sides; a
// stretching or auto-sized root leaves the box stretching or auto-sized.
int WrappedSize(int root_size, int before, int after) {
  return root_size > 0 ? root_size + before + after : root_size;
}

}  // namespace

Shadow::Shadow() {
  SetShadowCorner(UiRect{kDefaultCorner, kDefaultCorner, kDefaultCorner, kDefaultCorner});
}

void Shadow::SetShadowImage(const std::u16string& image) {
  image_ = image;
  default_image_ = false;
}

void Shadow::SetShadowCorner(UiRect corner) {
  corner_unscaled_ = corner;
  DpiManager::GetInstance()->ScaleRect(&corner);
  corner_ = corner;
  corner_copy_ = corner;
}

void Shadow::MaximizedOrRestored(bool maximized) {
  corner_ = maximized ? UiRect{} : corner_copy_;
}

Control* Shadow::AttachShadow(Control* root) {
  if (!attached_ || root == nullptr) return root;
  box_ = new ShadowBox();
  box_->GetLayout()->SetPadding(corner_, false);
  box_->SetFixedWidth(WrappedSize(root->GetFixedWidth(), corner_.left, corner_.right), true,
                      false);
  box_->SetFixedHeight(WrappedSize(root->GetFixedHeight(), corner_.top, corner_.bottom), false);
  if (default_image_) root->SetBorderRound(UiSize{3, 3});
  box_->Add(root);
  box_->SetBkImage(image_);
  return box_;
}

}  // namespace ui
