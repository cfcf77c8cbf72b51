// One poster of the main window's carousel: a row of the page list holding
// the image "bk_image"; pressing the image opens the poster's link.
#pragma once

#include <string>

#include "project/Launcher/windows/link_opener.h"
#include "ui/controls/list_container_element.h"

namespace MainComponents {

class ScrollPage : public ui::ListContainerElement {
 public:
  // The layout the page is filled from.
  static constexpr char16_t kLayoutFile[] = u"main/scroll_page.xml";

  // Binds "bk_image", shows the image on it (an image file or image
  // attribute string of the skin) and keeps the link key.
  void Init(const std::string& image, const std::string& link_key, LinkOpener opener);
  // Drops the image reference and the link key (the page is being removed).
  void Forget();

  const std::string& link_key() const { return link_key_; }
  ui::Control* image() const { return bk_image_; }

 private:
  bool OnImageClick(ui::EventArgs* event);

  ui::Control* bk_image_ = nullptr;
  std::string link_key_;
  LinkOpener opener_;
};

}  // namespace MainComponents
