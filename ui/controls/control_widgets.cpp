#include "ui/controls/control_widgets.h"

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/combo.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/slider.h"
#include "ui/controls/tree_node.h"
#include "ui/controls/tree_view.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/tile_layout.h"
#include "ui/vlayout.h"
#include "ui/hlayout.h"
#include "ui/widget_factory.h"
#include "ui/window_impl_base.h"

namespace ui {
namespace {

template <typename T>
void RegisterTag(const char16_t* tag) {
  WidgetFactory::GetInstance().Register(tag, []() -> Control* { return new T(); });
}

}  // namespace

void RegisterControlWidgets() {
  RegisterTag<Label>(u"Label");
  RegisterTag<LabelBox>(u"LabelBox");
  RegisterTag<Button>(u"Button");
  RegisterTag<ButtonBox>(u"ButtonBox");
  RegisterTag<CheckBox>(u"CheckBox");
  RegisterTag<CheckBoxBox>(u"CheckBoxBox");
  RegisterTag<Option>(u"Option");
  RegisterTag<OptionBox>(u"OptionBox");
  RegisterTag<Progress>(u"Progress");
  RegisterTag<Slider>(u"Slider");
  RegisterTag<CircleProgress>(u"CircleProgress");
  RegisterTag<ListContainerElement>(u"ListContainerElement");
  WidgetFactory::GetInstance().Register(u"ListBox", []() -> Control* { return new ListBox(new Layout()); });
  WidgetFactory::GetInstance().Register(u"VListBox", []() -> Control* { return new ListBox(new VLayout()); });
  WidgetFactory::GetInstance().Register(u"HListBox", []() -> Control* { return new ListBox(new HLayout()); });
  WidgetFactory::GetInstance().Register(u"TileListBox", []() -> Control* { return new ListBox(new TileLayout()); });
  RegisterTag<VirtualListBox>(u"VirtualListBox");
  RegisterTag<TreeView>(u"TreeView");
  RegisterTag<TreeNode>(u"TreeNode");
  RegisterTag<Combo>(u"Combo");
  RegisterRichEdit();
  // Skinned windows bind their system buttons to buttons and keep clicks on
  // buttons and rich edits inside the caption.
  WindowImplBase::SetButtonTest([](const Control* control) {
    return dynamic_cast<const ButtonTemplate<Control>*>(control) != nullptr ||
           dynamic_cast<const ButtonTemplate<Box>*>(control) != nullptr;
  });
  WindowImplBase::SetRichEditTest(
      [](const Control* control) { return dynamic_cast<const RichEdit*>(control) != nullptr; });
}

}  // namespace ui
