#include "ui/widget_factory.h"

#include "ui/box.h"
#include "ui/child_box.h"
#include "ui/control.h"
#include "ui/hbox.h"
#include "ui/hlayout.h"
#include "ui/tab_box.h"
#include "ui/scroll_bar.h"
#include "ui/tab_box.h"
#include "ui/tile_box.h"
#include "ui/vbox.h"
#include "ui/vlayout.h"

namespace ui {

WidgetFactory& WidgetFactory::GetInstance() {
  static WidgetFactory factory;
  return factory;
}

WidgetFactory::WidgetFactory() {
  creators_[u"Control"] = [] { return new Control(); };
  creators_[u"Box"] = []() -> Control* { return new Box(); };
  creators_[u"VBox"] = []() -> Control* { return new VBox(); };
  creators_[u"ChildBox"] = []() -> Control* { return new ChildBox(); };
  creators_[u"ScrollBar"] = []() -> Control* { return new ScrollBar(); };
  creators_[u"HBox"] = []() -> Control* { return new HBox(); };
  creators_[u"TileBox"] = []() -> Control* { return new TileBox(); };
  creators_[u"TabBox"] = []() -> Control* { return new TabBox(); };
  creators_[u"HTabBox"] = []() -> Control* { return new TabBox(new HLayout()); };
  creators_[u"VTabBox"] = []() -> Control* { return new TabBox(new VLayout()); };
}

void WidgetFactory::Register(const std::u16string& tag, const Creator& creator) {
  creators_[tag] = creator;
}

Control* WidgetFactory::Create(const std::u16string& tag) const {
  auto it = creators_.find(tag);
  return it == creators_.end() ? nullptr : it->second();
}

bool WidgetFactory::IsRegistered(const std::u16string& tag) const {
  return creators_.count(tag) != 0;
}

}  // namespace ui
