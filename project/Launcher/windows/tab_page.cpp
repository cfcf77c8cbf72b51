#include "project/Launcher/windows/tab_page.h"

#include "project/Launcher/windows/find_sub_control.h"
#include "ui/global_manager.h"
#include "ui/vlayout.h"

namespace MainComponents {

void TabPage::NewsItem::Init(LinkOpener opener) {
  opener_ = std::move(opener);
  news_content_ = dynamic_cast<ui::Label*>(FindSubControl(this, u"news_content"));
  news_date_ = dynamic_cast<ui::Label*>(FindSubControl(this, u"news_date"));
  if (news_content_ != nullptr) {
    news_content_->AttachEvent(ui::kEventMouseButtonDown,
                               WrapWeak([this](ui::EventArgs* event) { return OnContentClick(event); }));
  }
}

void TabPage::NewsItem::SetNews(const std::string& text, const std::string& date, const std::string& tooltip,
                                const std::string& link_key) {
  link_key_ = link_key;
  if (news_content_ != nullptr) {
    news_content_->SetUTF8Text(text);
    news_content_->SetUtf8ToolTipText(tooltip);
  }
  if (news_date_ != nullptr) news_date_->SetUTF8Text(date);
}

bool TabPage::NewsItem::OnContentClick(ui::EventArgs* event) {
  if (event->pSender != news_content_ || news_content_ == nullptr) return true;
  if (opener_) opener_(link_key_);
  return false;
}

TabPage::TabPage(LinkOpener opener) : ui::ListBox(new ui::VLayout), opener_(std::move(opener)) {}

void TabPage::AddNewsItem(const std::string& text, const std::string& date, const std::string& tooltip,
                          const std::string& link_key) {
  auto* item = new NewsItem;
  ui::GlobalManager::FillBoxWithCache(item, NewsItem::kLayoutFile, nullptr);
  AddAt(item, static_cast<size_t>(GetCount()));
  item->Init(opener_);
  item->SetNews(text, date, tooltip, link_key);
  while (GetCount() > kMaxNewsItems) RemoveAt(0);
}

}  // namespace MainComponents
