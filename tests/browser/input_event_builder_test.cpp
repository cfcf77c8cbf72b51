// The mapping of the window's key and mouse messages to the engine's input
// events: DOM names of virtual keys, characters with surrogate pairs joined,
// and the modifier and button flags.
#include <gtest/gtest.h>

#include <set>

#include "browser/input_event_builder.h"
#include "platform/window/window_messages.h"

namespace {

using jov_comp::InputEventBuilder;

TEST(InputEventBuilderTest, VirtualKeysGetTheirDomNames) {
  struct Case {
    uint32_t vk;
    bool shift;
    bool extended;
    const char* key;
    const char* code;
    int location;
  };
  const Case cases[] = {
      {'A', false, false, "a", "KeyA", 0},
      {'A', true, false, "A", "KeyA", 0},
      {'1', false, false, "1", "Digit1", 0},
      {'1', true, false, "!", "Digit1", 0},
      {platform::VK_SPACE, false, false, " ", "Space", 0},
      {platform::VK_RETURN, false, false, "Enter", "Enter", 0},
      {platform::VK_RETURN, false, true, "Enter", "NumpadEnter", 3},
      {platform::VK_LEFT, false, false, "ArrowLeft", "ArrowLeft", 0},
      {platform::VK_BACK, false, false, "Backspace", "Backspace", 0},
      {platform::VK_NUMPAD0 + 7, false, false, "7", "Numpad7", 3},
      {platform::VK_CONTROL, false, true, "Control", "ControlRight", 2},
      {platform::VK_F1 + 11, false, false, "F12", "F12", 0},
      {platform::VK_OEM_2, true, false, "?", "Slash", 0},
  };
  for (const Case& c : cases) {
    const auto names = InputEventBuilder::NamesOfVirtualKey(c.vk, c.shift, c.extended);
    EXPECT_EQ(names.key, c.key) << c.vk;
    EXPECT_EQ(names.code, c.code) << c.vk;
    EXPECT_EQ(names.location, c.location) << c.vk;
  }
}

TEST(InputEventBuilderTest, KeyMessagesCarryTypeNamesAndModifiers) {
  std::set<uint32_t> down = {platform::VK_SHIFT, platform::VK_CONTROL};
  InputEventBuilder builder([&down](uint32_t vk) -> int16_t {
    return down.count(vk) ? static_cast<int16_t>(-32768) : 0;
  });
  auto event = builder.KeyEvent(platform::WM_KEYDOWN, 'B', 1);
  ASSERT_TRUE(event);
  EXPECT_EQ((*event)["type"].asString(), "rawKeyDown");
  EXPECT_EQ((*event)["key"].asString(), "B");
  EXPECT_EQ((*event)["windowsVirtualKeyCode"].asInt(), 'B');
  EXPECT_EQ((*event)["modifiers"].asInt(), InputEventBuilder::kShift | InputEventBuilder::kControl);
  EXPECT_FALSE((*event)["isSystemKey"].asBool());
  event = builder.KeyEvent(platform::WM_SYSKEYUP, 'B', 0);
  ASSERT_TRUE(event);
  EXPECT_EQ((*event)["type"].asString(), "keyUp");
  EXPECT_TRUE((*event)["isSystemKey"].asBool());
  // Keys of the key pad outside it: an arrow without the extended bit.
  event = builder.KeyEvent(platform::WM_KEYDOWN, platform::VK_UP, 0);
  EXPECT_TRUE((*event)["isKeypad"].asBool());
  event = builder.KeyEvent(platform::WM_KEYDOWN, platform::VK_UP, 0x1000000);
  EXPECT_FALSE((*event)["isKeypad"].asBool());
}

TEST(InputEventBuilderTest, CharactersJoinSurrogatePairs) {
  InputEventBuilder builder([](uint32_t) -> int16_t { return 0; });
  auto event = builder.KeyEvent(platform::WM_CHAR, 0xE9, 1);
  ASSERT_TRUE(event);
  EXPECT_EQ((*event)["type"].asString(), "char");
  EXPECT_EQ((*event)["text"].asString(), "\xC3\xA9");
  // U+1F600 as D83D DE00: nothing for the first half, the whole character
  // for the second.
  EXPECT_FALSE(builder.KeyEvent(platform::WM_CHAR, 0xD83D, 1));
  event = builder.KeyEvent(platform::WM_CHAR, 0xDE00, 1);
  ASSERT_TRUE(event);
  EXPECT_EQ((*event)["text"].asString(), "\xF0\x9F\x98\x80");
  // A lone second half, and control characters other than Return, send
  // nothing; Return does.
  EXPECT_FALSE(builder.KeyEvent(platform::WM_CHAR, 0xDE00, 1));
  EXPECT_FALSE(builder.KeyEvent(platform::WM_CHAR, 0x08, 1));
  EXPECT_FALSE(builder.KeyEvent(platform::WM_CHAR, 0x7F, 1));
  EXPECT_TRUE(builder.KeyEvent(platform::WM_CHAR, '\r', 1));
}

TEST(InputEventBuilderTest, MouseEventsCarryButtonsAndModifiers) {
  InputEventBuilder builder([](uint32_t vk) -> int16_t {
    return vk == platform::VK_MENU ? static_cast<int16_t>(-32768) : 0;
  });
  const Json::Value event = builder.MouseEvent(
      "mousePressed", 12.5, 7, "right", 2,
      platform::MK_RBUTTON | platform::MK_MBUTTON | platform::MK_SHIFT);
  EXPECT_EQ(event["type"].asString(), "mousePressed");
  EXPECT_EQ(event["button"].asString(), "right");
  EXPECT_EQ(event["buttons"].asInt(), 2 | 4);
  EXPECT_EQ(event["clickCount"].asInt(), 2);
  EXPECT_EQ(event["modifiers"].asInt(), InputEventBuilder::kShift | InputEventBuilder::kAlt);
  EXPECT_DOUBLE_EQ(event["x"].asDouble(), 12.5);
}

}  // namespace
