// A box that shows one of its children (pages) at a time. A switch either
// hides and shows the pages at once or, with "fadeswitch", slides the old
// page out and the new one in horizontally through the pages' own
// animations; with the fade switch a hidden page stays visible but
// transparent and deaf to the mouse. The current index follows insertions
// and removals so that it keeps naming the page that is shown; -1 means no
// page. UI thread only.
#ifndef UI_TAB_BOX_H_
#define UI_TAB_BOX_H_

#include "ui/box.h"

namespace ui {

class TabBox : public Box {
 public:
  // Takes the layout like a box (a free layout when null).
  explicit TabBox(Layout* layout = nullptr);

  // "selectedid" (the current index, set without switching) and
  // "fadeswitch"; the rest goes to the box.
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  bool Add(Control* page) override;
  bool AddAt(Control* page, size_t index) override;
  bool Remove(Control* page) override;
  bool RemoveAt(size_t index) override;
  void RemoveAll() override;

  // Shows the page at |index| and hides the others; fires "select" (wParam
  // the new index, lParam the old one) when the page changed. False for an
  // index out of range; true, changing nothing, for the current one.
  bool SelectItem(int index);
  int GetCurSel() const { return current_; }
  bool IsFadeSwitch() const { return fade_switch_; }
  // The end of the slide-out of the page at |index|: hides it, unless it has
  // become the current page again meanwhile.
  void OnSlideOutComplete(int index);

 private:
  // Mouse on for the page and its children, alpha 255.
  void ShowPage(Control* page);
  // Mouse off for the page and its children, alpha 0; without the fade
  // switch also made invisible.
  void HidePage(Control* page);
  // Starts the page's horizontal slide from |from| to |to|; a slide-out hides
  // the page when it ends.
  void Slide(Control* page, int from, int to, bool slide_out);
  // Shows page 0 after the current page went away; at rest, not sliding.
  void ShowFirstPageAtRest();

  int current_ = -1;
  bool fade_switch_ = false;
};

}  // namespace ui

#endif  // UI_TAB_BOX_H_
