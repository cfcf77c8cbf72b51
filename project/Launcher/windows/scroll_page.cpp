#include "project/Launcher/windows/scroll_page.h"

#include "project/Launcher/windows/find_sub_control.h"
#include "ui/wide_text.h"

namespace MainComponents {

void ScrollPage::Init(const std::string& image, const std::string& link_key, LinkOpener opener) {
  opener_ = std::move(opener);
  link_key_ = link_key;
  bk_image_ = FindSubControl(this, u"bk_image");
  if (bk_image_ == nullptr) return;
  bk_image_->AttachEvent(ui::kEventMouseButtonDown,
                         WrapWeak([this](ui::EventArgs* event) { return OnImageClick(event); }));
  bk_image_->SetBkImage(ui::Utf8ToUtf16(image));
}

void ScrollPage::Forget() {
  bk_image_ = nullptr;
  link_key_.clear();
}

bool ScrollPage::OnImageClick(ui::EventArgs* event) {
  if (event->pSender == bk_image_ && bk_image_ != nullptr && opener_) opener_(link_key_);
  return false;
}

}  // namespace MainComponents
