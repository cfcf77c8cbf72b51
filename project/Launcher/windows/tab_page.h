// One page of the news: a vertical list of a category's latest news lines,
// at most kMaxNewsItems of them (adding one more drops the oldest shown).
// Pressing a line's text opens its link.
#pragma once

#include <string>

#include "project/Launcher/windows/link_opener.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"

namespace MainComponents {

class TabPage : public ui::ListBox {
 public:
  static constexpr char16_t kLayoutFile[] = u"main/tab_page.xml";
  static constexpr int kMaxNewsItems = 4;

  // One news line: the text "news_content" (with its tooltip) and the date
  // "news_date".
  class NewsItem : public ui::ListContainerElement {
   public:
    static constexpr char16_t kLayoutFile[] = u"main/news_item.xml";

    // Binds the labels and the press on the text.
    void Init(LinkOpener opener);
    void SetNews(const std::string& text, const std::string& date, const std::string& tooltip,
                 const std::string& link_key);

    ui::Label* content() const { return news_content_; }
    ui::Label* date() const { return news_date_; }
    const std::string& link_key() const { return link_key_; }

   private:
    bool OnContentClick(ui::EventArgs* event);

    ui::Label* news_content_ = nullptr;
    ui::Label* news_date_ = nullptr;
    std::string link_key_;
    LinkOpener opener_;
  };

  explicit TabPage(LinkOpener opener);

  // Appends a line; while the page holds more than kMaxNewsItems, the first
  // one goes, so a category's last entries are the ones shown, in order.
  void AddNewsItem(const std::string& text, const std::string& date, const std::string& tooltip,
                   const std::string& link_key);

 private:
  LinkOpener opener_;
};

}  // namespace MainComponents
