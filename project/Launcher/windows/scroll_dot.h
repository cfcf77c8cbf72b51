// One dot of the carousel's dot row: a row of the dot list holding the
// picture "btn_dot", which is disabled (showing the filled dot) for the page
// on show.
#pragma once

#include "ui/controls/button.h"
#include "ui/controls/list_container_element.h"

namespace MainComponents {

class ScrollDot : public ui::ListContainerElement {
 public:
  static constexpr char16_t kLayoutFile[] = u"main/scroll_dot.xml";

  // Binds "btn_dot".
  void Init();
  // Marks the dot as the current page's (or not).
  void ShowCurrent(bool current);

  ui::Control* dot() const { return btn_dot_; }

 private:
  ui::Control* btn_dot_ = nullptr;
};

}  // namespace MainComponents
