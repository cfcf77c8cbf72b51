#include "project/Launcher/windows/news_tabs.h"

#include "project/Launcher/windows/tab_label.h"
#include "project/Launcher/windows/tab_page.h"
#include "ui/controls/list_box.h"
#include "ui/global_manager.h"
#include "ui/tab_box.h"
#include "ui/window.h"

namespace MainComponents {

void NewsTabs::Init(ui::Window* window, const std::vector<NewsCategory>& categories) {
  labels_ = dynamic_cast<ui::ListBox*>(window->FindControlByName(u"tab_labels"));
  if (labels_ != nullptr) {
    labels_->AttachEvent(ui::kEventSelect,
                         handler_flag_.WrapWeak([this](ui::EventArgs* event) { return OnTabSelect(event); }));
  }
  pages_ = dynamic_cast<ui::TabBox*>(window->FindControlByName(u"tab_pages"));
  Build(categories);
}

int32_t NewsTabs::tab_count() const { return pages_ != nullptr ? pages_->GetCount() : 0; }

TabLabel* NewsTabs::LabelAt(int32_t index) const {
  return labels_ != nullptr ? dynamic_cast<TabLabel*>(labels_->GetItemAt(static_cast<size_t>(index))) : nullptr;
}

TabPage* NewsTabs::PageAt(int32_t index) const {
  return pages_ != nullptr ? dynamic_cast<TabPage*>(pages_->GetItemAt(static_cast<size_t>(index))) : nullptr;
}

void NewsTabs::Clear() {
  if (labels_ == nullptr || pages_ == nullptr) return;
  labels_->RemoveAll();
  for (int32_t i = 0; i < pages_->GetCount(); ++i) {
    if (TabPage* page = PageAt(i)) page->RemoveAll();
  }
  pages_->RemoveAll();
}

void NewsTabs::Build(const std::vector<NewsCategory>& categories) {
  if (labels_ == nullptr || pages_ == nullptr) return;
  Clear();
  for (size_t i = 0; i < categories.size(); ++i) {
    auto* label = new TabLabel;
    ui::GlobalManager::FillBoxWithCache(label, TabLabel::kLayoutFile, nullptr);
    labels_->AddAt(label, i);
    label->Init();
    if (label->name() != nullptr) label->name()->SetUTF8Text(categories[i].name);
    label->AttachEvent(ui::kEventMouseButtonDown,
                       handler_flag_.WrapWeak([this](ui::EventArgs* event) { return OnTabSelect(event); }));
    auto* page = new TabPage(opener_);
    ui::GlobalManager::FillBoxWithCache(page, TabPage::kLayoutFile, nullptr);
    pages_->AddAt(page, i);
    for (const NewsEntry& entry : categories[i].entries) {
      page->AddNewsItem(entry.text, entry.date, entry.tooltip, entry.linkKey);
    }
  }
  if (!categories.empty()) SelectTab(0);
}

void NewsTabs::SelectTab(int32_t index) {
  if (labels_ == nullptr || pages_ == nullptr) return;
  const int32_t count = pages_->GetCount();
  if (index < 0 || index >= count) return;
  for (int32_t i = 0; i < count; ++i) {
    if (TabLabel* label = LabelAt(i)) label->ShowCurrent(i == index);
  }
  pages_->SelectItem(index);
}

bool NewsTabs::OnTabSelect(ui::EventArgs* event) {
  if (labels_ == nullptr) return false;
  TabLabel* label = nullptr;
  if (event->Type == ui::kEventSelect && event->pSender == labels_) {
    label = LabelAt(labels_->GetCurSel());
  } else if (event->Type == ui::kEventMouseButtonDown) {
    label = dynamic_cast<TabLabel*>(event->pSender);
  }
  if (label != nullptr) SelectTab(labels_->GetItemIndex(label));
  return false;
}

}  // namespace MainComponents
