#include "ui/tab_box.h"

#include "ui/animation_manager.h"
#include "ui/attribute_value.h"
#include "ui/window.h"

namespace ui {
namespace {

// How fast a page speeds up as it slides (value units per ms squared).
constexpr double kSlideAcceleration = 0.015;

void SetPageMouse(Control* page, bool enabled) {
  page->SetMouseEnabled(enabled);
  if (auto* box = dynamic_cast<Box*>(page)) box->SetMouseChildEnabled(enabled);
}

}  // namespace

TabBox::TabBox(Layout* layout) : Box(layout) {}

void TabBox::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"selectedid") {
    current_ = ParseIntValue(value);
  } else if (name == u"fadeswitch") {
    fade_switch_ = ParseBoolValue(value);
  } else {
    Box::SetAttribute(name, value);
  }
}

void TabBox::ShowPage(Control* page) {
  SetPageMouse(page, true);
  page->SetAlpha(255);
  page->Invalidate();
}

void TabBox::HidePage(Control* page) {
  SetPageMouse(page, false);
  page->SetAlpha(0);
  page->Invalidate();
  if (!fade_switch_) page->SetFadeVisible(false);
}

bool TabBox::Add(Control* page) {
  // The box's Add goes through AddAt, which would count the page as an
  // insertion before the current one.
  if (!Box::AddAt(page, items_.size())) return false;
  const int index = GetItemIndex(page);
  if (current_ == -1 && page->IsVisible()) current_ = index;
  if (index == current_ && page->IsVisible()) return true;
  HidePage(page);
  return true;
}

bool TabBox::AddAt(Control* page, size_t index) {
  if (!Box::AddAt(page, index)) return false;
  if (current_ == -1 && page->IsVisible()) {
    current_ = static_cast<int>(index);
    return true;
  }
  if (current_ >= static_cast<int>(index)) ++current_;
  HidePage(page);
  return true;
}

void TabBox::ShowFirstPageAtRest() {
  current_ = 0;
  Control* page = GetItemAt(0);
  if (fade_switch_) {
    // A page that slid out earlier still sits a box width aside.
    if (AnimationPlayer* player =
            page->GetAnimationManager().GetAnimationPlayer(kAnimationInoutXFromLeft)) {
      player->Stop();
    }
    page->SetRenderOffsetX(0);
  } else {
    page->SetFadeVisible(true);
  }
  ShowPage(page);
}

bool TabBox::Remove(Control* page) {
  const int index = page != nullptr ? GetItemIndex(page) : -1;
  if (index < 0 || !Box::Remove(page)) return false;
  if (index == current_) {
    if (GetCount() == 0) {
      current_ = -1;
    } else {
      ShowFirstPageAtRest();
    }
    ArrangeFromAncestor();
  } else if (index < current_) {
    --current_;
  }
  return true;
}

bool TabBox::RemoveAt(size_t index) {
  Control* page = GetItemAt(index);
  return page != nullptr && Remove(page);
}

void TabBox::RemoveAll() {
  current_ = -1;
  Box::RemoveAll();
  ArrangeFromAncestor();
}

void TabBox::Slide(Control* page, int from, int to, bool slide_out) {
  AnimationManager& animations = page->GetAnimationManager();
  AnimationPlayer* player = animations.GetAnimationPlayer(kAnimationInoutXFromLeft);
  if (player == nullptr) player = animations.SetFadeInOutX(true, false);
  player->SetStartValue(from);
  player->SetEndValue(to);
  player->SetSpeedUpAcceleration(kSlideAcceleration);
  if (slide_out) {
    // Looked up by the page at the end: pages inserted or removed meanwhile
    // move its index.
    player->SetCompleteCallback(WrapWeak([this, page] {
      const int index = GetItemIndex(page);
      if (index >= 0) OnSlideOutComplete(index);
    }));
  } else {
    // A slide-out still running on this page must not hide it when the
    // slide-in ends.
    player->SetCompleteCallback({});
  }
  player->Restart();
}

bool TabBox::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == current_) return true;
  const int old = current_;
  current_ = index;
  const int width = rect_.Width();
  for (int i = 0; i < GetCount(); ++i) {
    Control* page = GetItemAt(static_cast<size_t>(i));
    if (i == index) {
      ShowPage(page);
      if (fade_switch_) {
        Slide(page, index > old ? -width : width, 0, false);
      } else {
        page->SetFadeVisible(true);
      }
    } else if (i == old && fade_switch_) {
      Slide(page, 0, index > old ? width : -width, true);
    } else {
      HidePage(page);
    }
  }
  if (window_ != nullptr) {
    // The focus leaves the page that went away for the next tab stop.
    window_->SetNextTabControl(true);
    FireEvent(kEventSelect, static_cast<platform::WPARAM>(index),
              static_cast<platform::LPARAM>(old));
  }
  return true;
}

void TabBox::OnSlideOutComplete(int index) {
  if (index == current_) return;
  Control* page = GetItemAt(static_cast<size_t>(index));
  if (page == nullptr) return;
  SetPageMouse(page, false);
  page->SetAlpha(0);
  page->Invalidate();
}

}  // namespace ui
