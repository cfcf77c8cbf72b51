// The widget tags: every one makes its widget, and the attributes of a
// layout element reach it.
#include "ui/controls/control_widgets.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/option.h"
#include "ui/controls/slider.h"
#include "ui/layout_builder.h"
#include "ui/markup_document.h"
#include "ui/widget_factory.h"

namespace ui::testing {
namespace {

class WidgetFactoryTest : public WidgetTest {};

template <typename T>
bool Makes(const char16_t* tag) {
  std::unique_ptr<Control> control(WidgetFactory::GetInstance().Create(tag));
  return dynamic_cast<T*>(control.get()) != nullptr;
}

TEST_F(WidgetFactoryTest, EveryTagMakesItsWidget) {
  RegisterControlWidgets();
  EXPECT_TRUE(Makes<Label>(u"Label"));
  EXPECT_TRUE(Makes<LabelBox>(u"LabelBox"));
  EXPECT_TRUE(Makes<Button>(u"Button"));
  EXPECT_TRUE(Makes<ButtonBox>(u"ButtonBox"));
  EXPECT_TRUE(Makes<CheckBox>(u"CheckBox"));
  EXPECT_TRUE(Makes<CheckBoxBox>(u"CheckBoxBox"));
  EXPECT_TRUE(Makes<Option>(u"Option"));
  EXPECT_TRUE(Makes<OptionBox>(u"OptionBox"));
  EXPECT_TRUE(Makes<Progress>(u"Progress"));
  EXPECT_TRUE(Makes<Slider>(u"Slider"));
  EXPECT_TRUE(Makes<CircleProgress>(u"CircleProgress"));
  EXPECT_FALSE(Makes<Option>(u"CheckBox")) << "a check box is not an option";
  EXPECT_TRUE(Makes<Box>(u"OptionBox")) << "the box forms hold children";
}

TEST_F(WidgetFactoryTest, AttributesOfAnElementReachTheWidget) {
  RegisterControlWidgets();
  // The skin's progress class and an option as the settings page writes them.
  std::unique_ptr<Control> progress(WidgetFactory::GetInstance().Create(u"Progress"));
  progress->ApplyAttributeList(
      u"bkcolor=\"white\" progresscolor=\"red\" hor=\"true\" min=\"0\" max=\"200\" value=\"50\"");
  auto* bar = dynamic_cast<Progress*>(progress.get());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetMaxValue(), 200);
  EXPECT_EQ(bar->GetValue(), 50);
  EXPECT_EQ(bar->GetProgressColor(), u"red");

  Window window;
  Box* root = new Box();
  window.AttachRoot(root);
  Control* option = WidgetFactory::GetInstance().Create(u"Option");
  root->Add(option);
  option->ApplyAttributeList(u"name=\"opt_ko\" group=\"language\" text=\"Korean\" selected=\"true\"");
  EXPECT_EQ(window.GetOptionGroup(u"language")->size(), 1u);
  EXPECT_TRUE(dynamic_cast<Option*>(option)->IsSelected());
  EXPECT_EQ(dynamic_cast<Option*>(option)->GetText(), u"Korean");
}

TEST_F(WidgetFactoryTest, LayoutBuildsTheTagsFromXml) {
  RegisterControlWidgets();
  Window window;
  LayoutBuilder builder;
  Control* built = builder.Create(
      u"<Window><VBox name=\"root\">"
      u"<Label name=\"title\" text=\"Hello\" align=\"center\"/>"
      u"<LabelBox name=\"panel\"><Button name=\"ok\" text=\"OK\"/></LabelBox>"
      u"<CheckBox name=\"check\" selected=\"true\"/>"
      u"<Option name=\"a\" group=\"g\" selected=\"true\"/>"
      u"<Option name=\"b\" group=\"g\" selected=\"true\"/>"
      u"<OptionBox name=\"c\"/><ButtonBox name=\"d\"/><CheckBoxBox name=\"e\"/>"
      u"<Progress name=\"bar\" max=\"200\" value=\"50\"/>"
      u"<Slider name=\"slider\" thumbsize=\"12,8\"/>"
      u"<CircleProgress name=\"circle\" circlewidth=\"5\"/>"
      u"</VBox></Window>",
      {}, &window);
  ASSERT_NE(built, nullptr);
  window.AttachRoot(built);
  auto find = [&window](const char16_t* name) { return window.FindControlByName(name); };
  EXPECT_EQ(dynamic_cast<Label*>(find(u"title"))->GetText(), u"Hello");
  EXPECT_NE(dynamic_cast<LabelBox*>(find(u"panel")), nullptr);
  EXPECT_NE(dynamic_cast<Button*>(find(u"ok")), nullptr);
  EXPECT_EQ(find(u"ok")->GetParent(), find(u"panel"));
  EXPECT_TRUE(dynamic_cast<CheckBox*>(find(u"check"))->IsSelected());
  // The later selected member of the group wins.
  EXPECT_FALSE(dynamic_cast<Option*>(find(u"a"))->IsSelected());
  EXPECT_TRUE(dynamic_cast<Option*>(find(u"b"))->IsSelected());
  EXPECT_NE(dynamic_cast<OptionBox*>(find(u"c")), nullptr);
  EXPECT_NE(dynamic_cast<ButtonBox*>(find(u"d")), nullptr);
  EXPECT_NE(dynamic_cast<CheckBoxBox*>(find(u"e")), nullptr);
  EXPECT_EQ(dynamic_cast<Progress*>(find(u"bar"))->GetMaxValue(), 200);
  EXPECT_EQ(dynamic_cast<Slider*>(find(u"slider"))->GetThumbSize(), (UiSize{12, 8}));
  EXPECT_EQ(dynamic_cast<CircleProgress*>(find(u"circle"))->GetCircleWidth(), 5);
}

}  // namespace
}  // namespace ui::testing
