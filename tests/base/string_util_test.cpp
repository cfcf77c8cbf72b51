#include "base/util/string_util.h"

#include <gtest/gtest.h>

namespace kbase {
namespace {

TEST(FormatStringTest, OutputsOfEverySizeComeBackWhole) {
  // Around the stack buffer, across the heap doublings, and the largest
  // output the biggest buffer holds.
  for (size_t length : {size_t{0}, size_t{1}, size_t{1023}, size_t{1024}, size_t{2047},
                        size_t{2048}, size_t{5000}, kFormatStringMaxBuffer - 1}) {
    std::string out = FormatString("%*s", static_cast<int>(length), "");
    EXPECT_EQ(length, out.size());
    EXPECT_EQ(std::string::npos, out.find_first_not_of(' '));
  }
}

TEST(FormatStringTest, EveryRetryReadsTheArgumentsAfresh) {
  // A retry that reused the consumed argument list would read garbage here.
  std::string long_text(3000, 'x');
  std::string out = FormatString("%s|%d|%s|%.1f", long_text.c_str(), 42, "tail", 2.5);
  EXPECT_EQ(long_text + "|42|tail|2.5", out);
}

TEST(FormatStringTest, OutputBeyondTheLargestBufferIsEmpty) {
  EXPECT_EQ("", FormatString("%*s", static_cast<int>(kFormatStringMaxBuffer), ""));
}

TEST(FormatStringTest, FormatsOrdinaryValues) {
  EXPECT_EQ("id=7 name=abc 0x1f", FormatString("id=%d name=%s 0x%x", 7, "abc", 31));
  EXPECT_EQ("", FormatString("%s", ""));
}

TEST(UtfConversionTest, RoundTripsEveryPlane) {
  const std::string utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // a é 中 😀
  const std::u16string utf16 = u"a\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(utf16, UTF8ToUTF16(utf8));
  EXPECT_EQ(utf8, UTF16ToUTF8(utf16));
}

TEST(UtfConversionTest, InvalidInputBecomesReplacementCharacters) {
  // One U+FFFD per maximal ill-formed subpart: a truncated sequence is one
  // character, a byte that can never start or continue one is one each.
  struct Case {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"\xFF", u"\uFFFD"},
      {"a\xFFz", u"a\uFFFDz"},
      {"a\xC3", u"a\uFFFD"},                // truncated
      {"\xE2\x82" "x", u"\uFFFDx"},          // truncated three-byte sequence
      {"\x80z", u"\uFFFDz"},                 // stray continuation
      {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\xF4\x90\x80\x80x", u"\uFFFD\uFFFD\uFFFD\uFFFDx"},  // above U+10FFFF
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.utf16, UTF8ToUTF16(c.utf8)) << c.utf8;
  EXPECT_EQ("\xEF\xBF\xBD" "b", UTF16ToUTF8(std::u16string{char16_t(0xD800), u'b'}));
  EXPECT_EQ("a\xEF\xBF\xBD", UTF16ToUTF8(std::u16string{u'a', char16_t(0xDC00)}));
}

TEST(UtfConversionTest, AppendUTF16ReplacesWhatIsNoCharacter) {
  std::u16string out;
  for (char32_t code_point : {U'a', char32_t(0x1F600), char32_t(0xD800), char32_t(0x110000)})
    AppendUTF16(code_point, &out);
  EXPECT_EQ(u"a\U0001F600\uFFFD\uFFFD", out);
}

}  // namespace
}  // namespace kbase
