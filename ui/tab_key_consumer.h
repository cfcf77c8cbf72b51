// A control that may take the Tab key as input (a text box that inserts
// tabs) rather than let it move the focus to the next control.
#ifndef UI_TAB_KEY_CONSUMER_H_
#define UI_TAB_KEY_CONSUMER_H_

namespace ui {

class TabKeyConsumer {
 public:
  virtual ~TabKeyConsumer() = default;
  virtual bool IsWantTab() const = 0;
};

}  // namespace ui

#endif  // UI_TAB_KEY_CONSUMER_H_
