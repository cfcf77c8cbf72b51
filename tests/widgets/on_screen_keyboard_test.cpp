// The on-screen keyboard's 10 ms check against a fake keyboard, on the fake
// clock: closely following requests end in the last wish, a keyboard in the
// wished state is left alone, and no keyboard means no work at all.
#include "ui/controls/on_screen_keyboard_manager.h"

#include <gtest/gtest.h>

#include "platform/keyboard/on_screen_keyboard.h"
#include "platform/keyboard/onboard_keyboard.h"

#include <cstdlib>
#include <string>
#include "tests/ui/control_tree_fixture.h"

namespace ui::testing {
namespace {

class FakeKeyboard : public platform::OnScreenKeyboard {
 public:
  bool IsAvailable() override { return available; }
  bool IsShown() override { return shown; }
  void Show() override {
    ++shows;
    shown = true;
  }
  void Hide() override {
    ++hides;
    shown = false;
  }

  bool available = true;
  bool shown = false;
  int shows = 0;
  int hides = 0;
};

class OnScreenKeyboardTest : public ControlTreeTest {
 protected:
  void SetUp() override { Use(keyboard_); }
  void TearDown() override {
    Advance(OnScreenKeyboardManager::kCheckDelayMs);
    platform::InstallOnScreenKeyboard(nullptr);
    manager_->ResetAvailability();
    ControlTreeTest::TearDown();
  }
  void Use(FakeKeyboard& keyboard) {
    platform::InstallOnScreenKeyboard(&keyboard);
    manager_->ResetAvailability();
  }

  OnScreenKeyboardManager* manager_ = OnScreenKeyboardManager::GetInstance();
  FakeKeyboard keyboard_;
};

TEST_F(OnScreenKeyboardTest, ClosePairsOfRequestsEndInTheLastWish) {
  struct Case {
    bool shown_before;
    bool first;
    bool second;
    int shows;
    int hides;
  };
  const Case cases[] = {
      {false, false, true, 1, 0},  // hidden, hide then show: shown once
      {true, false, true, 0, 0},   // visible, hide then show: stays up
      {true, true, true, 0, 0},    // visible and asked to show: left alone
      {false, true, false, 0, 0},  // hidden, show then hide: nothing
      {true, true, false, 0, 1},   // visible, show then hide: hidden once
  };
  for (const Case& c : cases) {
    FakeKeyboard keyboard;
    keyboard.shown = c.shown_before;
    Use(keyboard);
    manager_->ShowOSK(c.first);
    Advance(5);
    manager_->ShowOSK(c.second);
    EXPECT_EQ(keyboard.shows + keyboard.hides, 0) << "nothing happens before the check";
    Advance(5);
    Advance(5);
    EXPECT_EQ(keyboard.shows, c.shows);
    EXPECT_EQ(keyboard.hides, c.hides);
    EXPECT_EQ(keyboard.shown, c.second);
  }
}

TEST_F(OnScreenKeyboardTest, NoKeyboardMeansNoCheckAndNoFailure) {
  FakeKeyboard none;
  none.available = false;
  Use(none);
  const size_t tasks = TimerManager::GetInstance()->GetTaskCount();
  manager_->ShowOSK(true);
  EXPECT_EQ(TimerManager::GetInstance()->GetTaskCount(), tasks) << "no timer is started";
  Advance(20);
  EXPECT_EQ(none.shows, 0);
}

TEST_F(OnScreenKeyboardTest, OnboardWithoutASessionBusIsNoKeyboard) {
  platform::InstallOnScreenKeyboard(nullptr);
  const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string address = saved != nullptr ? saved : "";
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  // A keyboard made now sees no bus; the process's own may have been made
  // before, with or without one, so a fresh one is asked.
  platform::OnboardKeyboard onboard;
  EXPECT_FALSE(onboard.IsAvailable());
  EXPECT_FALSE(onboard.IsShown());
  onboard.Show();
  onboard.Hide();
  if (saved != nullptr) setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

}  // namespace
}  // namespace ui::testing
