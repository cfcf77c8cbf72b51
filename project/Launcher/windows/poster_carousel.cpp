#include "project/Launcher/windows/poster_carousel.h"

#include "project/Launcher/windows/scroll_dot.h"
#include "project/Launcher/windows/scroll_page.h"
#include "ui/controls/button.h"
#include "ui/controls/list_box.h"
#include "ui/global_manager.h"
#include "ui/scroll_bar.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

namespace MainComponents {

void PosterCarousel::Init(ui::Window* window, const std::vector<PosterEntry>& posters) {
  pages_ = dynamic_cast<ui::ListBox*>(window->FindControlByName(u"scroll_pages"));
  if (pages_ != nullptr) {
    // Only the carousel moves the pages: no bar, no keys, no wheel.
    if (ui::ScrollBar* bar = pages_->GetHScrollBar()) bar->SetInternalVisible(false);
    pages_->SetKeyboardEnabled(false);
    pages_->SetMouseWheelEnabled(false);
  }
  dots_ = dynamic_cast<ui::ListBox*>(window->FindControlByName(u"dot_list"));
  if (dots_ != nullptr) {
    dots_->AttachEvent(ui::kEventSelect,
                       handler_flag_.WrapWeak([this](ui::EventArgs* event) { return OnDotSelect(event); }));
  }
  left_ = dynamic_cast<ui::Button*>(window->FindControlByName(u"btn_scroll_left"));
  if (left_ != nullptr) {
    left_->AttachClick(handler_flag_.WrapWeak([this](ui::EventArgs* event) { return OnScrollLeftClick(event); }));
  }
  right_ = dynamic_cast<ui::Button*>(window->FindControlByName(u"btn_scroll_right"));
  if (right_ != nullptr) {
    right_->AttachClick(handler_flag_.WrapWeak([this](ui::EventArgs* event) { return OnScrollRightClick(event); }));
  }
  current_page_ = -1;
  skip_count_ = -1;
  ui::TimerManager::GetInstance()->AddTimer(tick_flag_.GetWeakFlag(), [this] { Tick(); }, kTickIntervalMs, -1);
  Build(posters);
}

int32_t PosterCarousel::page_count() const { return pages_ != nullptr ? pages_->GetCount() : 0; }

ScrollPage* PosterCarousel::PageAt(int32_t index) const {
  return pages_ != nullptr ? dynamic_cast<ScrollPage*>(pages_->GetItemAt(static_cast<size_t>(index))) : nullptr;
}

void PosterCarousel::Clear() {
  if (pages_ == nullptr || dots_ == nullptr) return;
  dots_->RemoveAll();
  for (int32_t i = 0; i < pages_->GetCount(); ++i) {
    if (ScrollPage* page = PageAt(i)) page->Forget();
  }
  pages_->RemoveAll();
  current_page_ = -1;
  skip_count_ = -1;
}

void PosterCarousel::Build(const std::vector<PosterEntry>& posters) {
  if (pages_ == nullptr || dots_ == nullptr) return;
  Clear();
  for (size_t i = 0; i < posters.size(); ++i) {
    auto* dot = new ScrollDot;
    ui::GlobalManager::FillBoxWithCache(dot, ScrollDot::kLayoutFile, nullptr);
    dots_->AddAt(dot, i);
    dot->Init();
    auto* page = new ScrollPage;
    ui::GlobalManager::FillBoxWithCache(page, ScrollPage::kLayoutFile, nullptr);
    pages_->AddAt(page, i);
    page->Init(posters[i].image, posters[i].linkKey, opener_);
  }
  for (ui::Button* arrow : {left_, right_}) {
    if (arrow != nullptr) arrow->SetFadeVisible(!posters.empty());
  }
  if (!posters.empty()) SelectPage(0, false);
}

void PosterCarousel::SelectPage(int32_t index, bool animate) {
  if (pages_ == nullptr || dots_ == nullptr) return;
  const int32_t count = dots_->GetCount();
  if (index < 0 || index >= count) return;
  dots_->SelectItem(index, true, false);
  for (int32_t i = 0; i < count; ++i) {
    if (auto* dot = dynamic_cast<ScrollDot*>(dots_->GetItemAt(static_cast<size_t>(i)))) dot->ShowCurrent(i == index);
  }
  const int target = index * pages_->GetHorScrollUnit();
  const int current = pages_->GetScrollPos().cx;
  if (target > current) {
    pages_->LineRight(target - current, animate);
  } else {
    pages_->LineLeft(current - target, animate);
  }
  current_page_ = index;
  const bool several = count > 1;
  if (left_ != nullptr) left_->SetEnabled(several && index > 0);
  if (right_ != nullptr) right_->SetEnabled(several && index < count - 1);
}

void PosterCarousel::Tick() {
  if (skip_count_ < 0) {
    ShowNextPage();
  } else {
    --skip_count_;
  }
}

void PosterCarousel::ShowNextPage() {
  if (pages_ == nullptr || dots_ == nullptr) return;
  const int32_t count = pages_->GetCount();
  if (count > 0) SelectPage((current_page_ + 1) % count, true);
}

bool PosterCarousel::OnDotSelect(ui::EventArgs* event) {
  if (pages_ == nullptr || dots_ == nullptr || event->Type != ui::kEventSelect || event->pSender != dots_) {
    return false;
  }
  const int32_t chosen = dots_->GetCurSel();
  if (chosen >= 0 && chosen < dots_->GetCount()) {
    SelectPage(chosen, true);
    skip_count_ = kSkipTicksAfterChoice;
  }
  return false;
}

bool PosterCarousel::OnScrollLeftClick(ui::EventArgs* /*event*/) {
  if (dots_ == nullptr) return true;
  const int32_t current = dots_->GetCurSel();
  if (current > 0) {
    SelectPage(current - 1, true);
    skip_count_ = kSkipTicksAfterChoice;
  }
  return true;
}

bool PosterCarousel::OnScrollRightClick(ui::EventArgs* /*event*/) {
  if (dots_ == nullptr) return true;
  const int32_t current = dots_->GetCurSel();
  if (current >= 0 && current < dots_->GetCount() - 1) {
    SelectPage(current + 1, true);
    skip_count_ = kSkipTicksAfterChoice;
  }
  return true;
}

}  // namespace MainComponents
