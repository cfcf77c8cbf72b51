// The controls a layout tag makes: a table from tag to constructor. The
// framework's own containers and the plain control are in it from the start;
// the widget libraries add their tags. A tag that is not in the table makes
// nothing, and the window's own CreateControl is asked instead.
#ifndef UI_WIDGET_FACTORY_H_
#define UI_WIDGET_FACTORY_H_

#include <functional>
#include <map>
#include <string>

namespace ui {

class Control;

class WidgetFactory {
 public:
  using Creator = std::function<Control*()>;

  static WidgetFactory& GetInstance();

  // Adds or replaces the constructor of a tag.
  void Register(const std::u16string& tag, const Creator& creator);
  // A new control of the tag (the caller owns it), or null for an unknown tag.
  Control* Create(const std::u16string& tag) const;
  bool IsRegistered(const std::u16string& tag) const;

 private:
  WidgetFactory();

  std::map<std::u16string, Creator> creators_;
};

}  // namespace ui

#endif  // UI_WIDGET_FACTORY_H_
