// Buttons, check boxes and options driven by the events the window gives
// them: clicks, keys, selection and option groups.
#include "ui/controls/button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/check_box.h"
#include "ui/controls/option.h"

namespace ui::testing {
namespace {

class ButtonTest : public WidgetTest {
 protected:
  // A window whose root holds the control at (10, 10, 110, 40).
  template <typename T>
  T* InWindow(T* control) {
    root_ = new Box();
    root_->SetPos(UiRect{0, 0, 400, 200});
    root_->Add(control);
    control->SetPos(UiRect{10, 10, 110, 40});
    window_.AttachRoot(root_);
    return control;
  }
  static void Send(Control* control, int type, UiPoint point = UiPoint{}, char16_t key = 0,
                   platform::WPARAM wparam = 0) {
    EventArgs event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = point;
    event.chKey = key;
    event.wParam = wparam;
    control->HandleEvent(event);
  }
  static void Click(Control* control, UiPoint down, UiPoint up) {
    Send(control, kEventMouseButtonDown, down);
    Send(control, kEventMouseButtonUp, up);
  }

  Window window_;
  Box* root_ = nullptr;
};

TEST_F(ButtonTest, ClickFiresOnReleaseInsideOnly) {
  Button* button = InWindow(new Button());
  int clicks = 0;
  button->AttachClick([&clicks](EventArgs*) { return ++clicks, true; });
  Send(button, kEventMouseButtonDown, UiPoint{20, 20});
  EXPECT_EQ(button->GetState(), kControlStatePushed);
  EXPECT_EQ(clicks, 0) << "nothing on the press";
  Send(button, kEventMouseButtonUp, UiPoint{30, 25});
  EXPECT_EQ(clicks, 1);
  Click(button, UiPoint{20, 20}, UiPoint{200, 100});
  EXPECT_EQ(clicks, 1) << "released outside";
  EXPECT_EQ(button->GetState(), kControlStateNormal);
  Send(button, kEventMouseButtonUp, UiPoint{30, 25});
  EXPECT_EQ(clicks, 1) << "a release without a press";
}

TEST_F(ButtonTest, ReturnAndSpaceActivateAKeyboardEnabledButton) {
  Button* button = InWindow(new Button());
  int clicks = 0;
  button->AttachClick([&clicks](EventArgs*) { return ++clicks, true; });
  Send(button, kEventKeyDown, UiPoint{}, 13);
  Send(button, kEventKeyDown, UiPoint{}, 32);
  EXPECT_EQ(clicks, 2);
  Send(button, kEventKeyDown, UiPoint{}, u'a');
  Send(button, kEventKeyUp, UiPoint{}, 13);
  EXPECT_EQ(clicks, 2) << "other keys and key-up do nothing";
  button->SetKeyboardEnabled(false);
  Send(button, kEventKeyDown, UiPoint{}, 13);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(button->CanTabFocus());
  button->SetKeyboardEnabled(true);
  EXPECT_TRUE(button->CanTabFocus());
  button->SetEnabled(false);
  EXPECT_FALSE(button->CanTabFocus());
  Send(button, kEventKeyDown, UiPoint{}, 13);
  EXPECT_EQ(clicks, 2) << "a disabled button is not activated";
}

TEST_F(ButtonTest, MouseDisabledButtonPassesMouseEventsToItsParent) {
  Button* button = InWindow(new Button());
  button->SetMouseEnabled(false);
  Send(button, kEventMouseButtonDown, UiPoint{20, 20});
  EXPECT_EQ(button->GetState(), kControlStateNormal);
  EXPECT_EQ(root_->GetState(), kControlStatePushed);
}

TEST_F(ButtonTest, ContextMenuEventOnlyWhenTheMenuIsUsed) {
  Button* button = InWindow(new Button());
  std::vector<platform::WPARAM> menus;
  button->AttachEvent(kEventMouseMenu, [&menus](EventArgs* e) { return menus.push_back(e->wParam), true; });
  Send(button, kEventInternalMenu, UiPoint{}, 0, 7);
  EXPECT_TRUE(menus.empty());
  button->SetAttribute(u"menu", u"true");
  Send(button, kEventInternalMenu, UiPoint{}, 0, 7);
  EXPECT_EQ(menus, std::vector<platform::WPARAM>{7});
}

TEST_F(ButtonTest, CheckBoxTogglesWithOneEventEachWay) {
  CheckBox* box = InWindow(new CheckBox());
  std::vector<std::string> events;
  box->AttachEvent(kEventSelect, [&events](EventArgs*) { return events.push_back("select"), true; });
  box->AttachEvent(kEventUnSelect, [&events](EventArgs*) { return events.push_back("unselect"), true; });
  int clicks = 0;
  box->AttachClick([&clicks](EventArgs*) { return ++clicks, true; });
  Click(box, UiPoint{20, 20}, UiPoint{20, 20});
  EXPECT_TRUE(box->IsSelected());
  Send(box, kEventKeyDown, UiPoint{}, 32);
  EXPECT_FALSE(box->IsSelected());
  EXPECT_EQ(events, (std::vector<std::string>{"select", "unselect"}));
  EXPECT_EQ(clicks, 0) << "a check box sends no click";
  box->Selected(false, true);
  EXPECT_EQ(events.size(), 2u) << "the same state fires nothing";
  box->Selected(true, false);
  EXPECT_EQ(events.size(), 2u) << "no trigger, no event";
  EXPECT_TRUE(box->IsSelected());
}

TEST_F(ButtonTest, SelectedCheckBoxPaintsItsSelectedColoursAndText) {
  CheckBox* box = InWindow(new CheckBox());
  box->SetAttribute(u"normalcolor", u"white");
  box->SetAttribute(u"selectednormalcolor", u"green");
  box->SetAttribute(u"normaltextcolor", u"red");
  box->SetAttribute(u"font", u"title_24");
  box->SetText(u"\u2588");
  Paint(*box);
  EXPECT_EQ(At(12, 12), kWhite);
  EXPECT_GT(CountNear(UiRect{10, 10, 110, 40}, kRed), 0) << "normal text colour";
  box->Selected(true, false);
  Paint(*box);
  EXPECT_EQ(At(12, 12), kGreen);
  EXPECT_GT(CountNear(UiRect{10, 10, 110, 40}, kRed), 0) << "no selected text colour: normal";
  box->SetAttribute(u"selectedtextcolor", u"blue");
  Paint(*box);
  EXPECT_GT(CountNear(UiRect{10, 10, 110, 40}, kBlue), 0);
  EXPECT_EQ(CountNear(UiRect{10, 10, 110, 40}, kRed), 0);
}

TEST_F(ButtonTest, SelectedCheckBoxPaintsOnlyItsSelectedImages) {
  // Two 10 x 10 pictures in the resource folder the images resolve under.
  const std::string red = GridPng(10, 1, 1, {kRed});
  const std::string blue = GridPng(10, 1, 1, {kBlue});
  char folder[] = "/tmp/widgets_images_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  for (const auto& [name, bytes] : {std::pair{"red.png", red}, std::pair{"blue.png", blue}}) {
    FILE* file = std::fopen((dir + "/" + name).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  GlobalManager::SetResourcePath(Utf8ToUtf16(dir + "/"));
  CheckBox* box = InWindow(new CheckBox());
  box->SetAttribute(u"normalimage", u"red.png");
  box->SetAttribute(u"selectednormalimage", u"blue.png");
  Paint(*box);
  EXPECT_EQ(At(50, 25), kRed);
  box->Selected(true, false);
  Paint(*box);
  EXPECT_EQ(At(50, 25), kBlue);
  box->Selected(false, false);
  Paint(*box);
  EXPECT_EQ(At(50, 25), kRed);
  for (const char* name : {"red.png", "blue.png"}) std::remove((dir + "/" + name).c_str());
  rmdir(folder);
}

class OptionGroupTest : public ButtonTest {
 protected:
  void SetUp() override {
    ButtonTest::SetUp();
    root_ = new Box();
    window_.AttachRoot(root_);
    for (int i = 0; i < 3; ++i) {
      auto* option = new Option();
      option->SetName(u"o" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
      root_->Add(option);
      option->SetPos(UiRect{10, 10 + 40 * i, 110, 40 + 40 * i});
      option->SetAttribute(u"group", u"g");
      options_.push_back(option);
      option->AttachEvent(kEventSelect, [this, i](EventArgs*) {
        return log_.push_back("select " + std::to_string(i)), true;
      });
      option->AttachEvent(kEventUnSelect, [this, i](EventArgs*) {
        return log_.push_back("unselect " + std::to_string(i)), true;
      });
    }
  }
  int SelectedCount() const {
    int count = 0;
    for (Option* option : options_) count += option->IsSelected() ? 1 : 0;
    return count;
  }

  std::vector<Option*> options_;
  std::vector<std::string> log_;
};

TEST_F(OptionGroupTest, OneMemberSelectedAtATime) {
  ASSERT_EQ(window_.GetOptionGroup(u"g")->size(), 3u);
  Click(options_[0], UiPoint{20, 20}, UiPoint{20, 20});
  EXPECT_TRUE(options_[0]->IsSelected());
  log_.clear();
  Click(options_[2], UiPoint{20, 100}, UiPoint{20, 100});
  EXPECT_EQ(SelectedCount(), 1);
  EXPECT_TRUE(options_[2]->IsSelected());
  // Every other member is told, in the order they joined, then the new one.
  EXPECT_EQ(log_, (std::vector<std::string>{"unselect 0", "unselect 1", "select 2"}));

  log_.clear();
  Send(options_[2], kEventKeyDown, UiPoint{}, 13);
  EXPECT_TRUE(options_[2]->IsSelected()) << "activation never unselects";
  EXPECT_EQ(log_.back(), "select 2") << "and selects again";

  log_.clear();
  options_[1]->Selected(true, false);
  EXPECT_EQ(SelectedCount(), 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"unselect 0", "unselect 2"}))
      << "no select without trigger; the unselects still fire";
}

TEST_F(OptionGroupTest, LeavingTheGroupKeepsAnOptionOutOfIt) {
  options_[0]->Selected(true, true);
  options_[0]->SetGroup(u"");
  options_[1]->Selected(true, true);
  EXPECT_TRUE(options_[0]->IsSelected());
  EXPECT_TRUE(options_[1]->IsSelected());
  EXPECT_EQ(window_.GetOptionGroup(u"g")->size(), 2u);
}

TEST_F(OptionGroupTest, UnselectHandlersMayChangeTheGroup) {
  options_[0]->Selected(true, true);
  // While member 0 is told, it takes member 1 out of the group and deletes
  // member 2, and a new option joins: the walk goes on safely.
  auto* late = new Option();
  options_[0]->AttachEvent(kEventUnSelect, [this, late](EventArgs*) {
    options_[1]->SetGroup(u"");
    root_->SetDelayedDestroy(false);
    root_->Remove(options_[2]);
    root_->Add(late);
    late->SetAttribute(u"group", u"g");
    return true;
  });
  Option* fourth = new Option();
  root_->Add(fourth);
  fourth->SetAttribute(u"group", u"g");
  log_.clear();
  fourth->Selected(true, true);
  EXPECT_TRUE(fourth->IsSelected());
  EXPECT_FALSE(options_[0]->IsSelected());
  const std::vector<Control*>* group = window_.GetOptionGroup(u"g");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(*group, (std::vector<Control*>{options_[0], fourth, late}));
}

TEST_F(OptionGroupTest, SelectedOptionJoiningAGroupUnselectsTheOthers) {
  options_[0]->Selected(true, true);
  auto* newcomer = new Option();
  root_->Add(newcomer);
  newcomer->Selected(true, false);
  log_.clear();
  newcomer->SetGroup(u"g");
  EXPECT_FALSE(options_[0]->IsSelected());
  EXPECT_EQ(SelectedCount(), 0);
  EXPECT_TRUE(newcomer->IsSelected());
}

}  // namespace
}  // namespace ui::testing
