// One tab of the news: a row of the tab label list with the category's name
// "tab_name" and the underline "tab_line". Hovering gives the name its hot
// colour; leaving takes it back unless the tab is the current one.
#pragma once

#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"

namespace MainComponents {

class TabLabel : public ui::ListContainerElement {
 public:
  static constexpr char16_t kLayoutFile[] = u"main/tab_label.xml";

  // Binds "tab_name" and "tab_line" and the hover handlers.
  void Init();
  // Marks the tab as the current one (or not): selected in its list, the
  // name disabled (its disabled colour marks the current tab), the line
  // shown.
  void ShowCurrent(bool current);

  ui::Label* name() const { return tab_name_; }
  ui::Control* line() const { return tab_line_; }

 private:
  bool OnMouseEnter(ui::EventArgs* event);
  bool OnMouseLeave(ui::EventArgs* event);

  ui::Label* tab_name_ = nullptr;
  ui::Control* tab_line_ = nullptr;
};

}  // namespace MainComponents
