#include "project/Launcher/core/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Mode = LaunchCommand::Mode;
using Words = std::vector<std::string>;

struct Case {
  const char* name;
  Words arguments;
  Mode mode;
  Words values;
  std::optional<std::u16string> language;
  std::optional<std::u16string> platform;
  std::optional<std::u16string> font;
};

const std::string kThirtyOne(31, 'x');
const std::string kThirtyTwo(32, 'x');

TEST(CommandLineTest, ParsesEveryFormAndBoundsEveryValue) {
  const std::vector<Case> cases = {
      {"no arguments", {"launcher.exe"}, Mode::kNormal, {}, {}, {}, {}},
      {"unknown word", {"launcher.exe", "hello", "x"}, Mode::kNormal, {}, {}, {}, {}},
      {"language", {"launcher.exe", "set_language", "ko"}, Mode::kNormal, {}, u"ko", {}, {}},
      {"language word in capitals", {"launcher.exe", "SET_LANGUAGE", "ko"}, Mode::kNormal, {}, {}, {}, {}},
      {"language alone", {"launcher.exe", "set_language"}, Mode::kNormal, {}, {}, {}, {}},
      {"language and font", {"launcher.exe", "set_language", "ko", "1"}, Mode::kNormal, {}, u"ko", {}, u"1"},
      {"language too many", {"launcher.exe", "set_language", "ko", "1", "2"}, Mode::kNormal, {}, {}, {}, {}},
      {"empty language", {"launcher.exe", "set_language", ""}, Mode::kNormal, {}, {}, {}, {}},
      {"empty language, font", {"launcher.exe", "set_language", "", "1"}, Mode::kNormal, {}, {}, {}, u"1"},
      {"platform", {"launcher.exe", "set_platform", "steam"}, Mode::kNormal, {}, {}, u"steam", {}},
      {"platform with a value too many", {"launcher.exe", "set_platform", "a", "b"}, Mode::kNormal, {}, {}, {}, {}},
      {"31 units kept", {"launcher.exe", "set_language", kThirtyOne}, Mode::kNormal, {},
       std::u16string(31, u'x'), {}, {}},
      {"32 units ignored, not cut", {"launcher.exe", "set_language", kThirtyTwo}, Mode::kNormal, {}, {}, {}, {}},
      {"31 wide characters kept", {"launcher.exe", "set_platform", [] {
         std::string s;
         for (int i = 0; i < 31; ++i) s += "\xC3\xA9";
         return s;
       }()}, Mode::kNormal, {}, {}, std::u16string(31, u'\u00E9'), {}},
      {"control character ignored", {"launcher.exe", "set_language", "k\no"}, Mode::kNormal, {}, {}, {}, {}},
      {"invalid UTF-8 ignored", {"launcher.exe", "set_language", "k\xFFo"}, Mode::kNormal, {}, {}, {}, {}},
      {"format text is only text", {"launcher.exe", "set_language", "%s%n%x"}, Mode::kNormal, {}, u"%s%n%x", {}, {}},
      {"replace", {"launcher.exe", "replace", "a", "b", "c"}, Mode::kReplace, {"a", "b", "c"}, {}, {}, {}},
      {"replace with empty values", {"launcher.exe", "replace", "", "", ""}, Mode::kReplace, {"", "", ""}, {}, {}, {}},
      {"replace short", {"launcher.exe", "replace", "a", "b"}, Mode::kNormal, {}, {}, {}, {}},
      {"replace overlong", {"launcher.exe", "replace", std::string(5000, 'a'), "b", "c"}, Mode::kRefused, {}, {}, {}, {}},
      {"make_version", {"launcher.exe", "make_version", "1.0.1"}, Mode::kMakeVersion, {"1.0.1"}, {}, {}, {}},
      {"make_version without version", {"launcher.exe", "make_version"}, Mode::kNormal, {}, {}, {}, {}},
      {"make_dependence_version", {"launcher.exe", "make_dependence_version", "2"},
       Mode::kMakeDependenceVersion, {"2"}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchCommand command = ParseCommandLine(c.arguments);
    EXPECT_EQ(command.mode, c.mode);
    EXPECT_EQ(command.values, c.values);
    EXPECT_EQ(command.overrides.language, c.language);
    EXPECT_EQ(command.overrides.platform, c.platform);
    EXPECT_EQ(command.overrides.font, c.font);
  }
}

}  // namespace
