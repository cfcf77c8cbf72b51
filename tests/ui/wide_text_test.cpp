#include "ui/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui {
namespace {

TEST(NormalizeFilePathTest, SlashesBecomeBackslashesAndPairsCollapseOnce) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"a/b/c.png", u"a\\b\\c.png"},
      {u"a//b", u"a\\b"},
      {u"a\\\\\\b", u"a\\\\b"},      // three leave two
      {u"a\\\\\\\\b", u"a\\\\b"},    // four leave two
      {u"/\\x", u"\\x"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeFilePath(c.in), c.out) << Utf16ToUtf8(c.in);
}

TEST(SplitStringTest, RunsAndEndsOfDelimitersGiveNoEmptyPieces) {
  struct Case {
    std::u16string text, delimiters;
    std::vector<std::u16string> pieces;
  } cases[] = {
      {u" a  b ", u" ", {u"a", u"b"}},
      {u"", u" ", {}},
      {u"===", u"=", {}},
      {u"A==b", u"=", {u"A", u"b"}},
      {u"x, y;;z", u",; ", {u"x", u"y", u"z"}},
      {u"\U0001F600=\U0001F601", u"=", {u"\U0001F600", u"\U0001F601"}},
      {u"whole", u"", {u"whole"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitString(c.text, c.delimiters), c.pieces) << Utf16ToUtf8(c.text);
  }
}

TEST(ReplaceAllTest, NonOverlappingLeftToRightWithoutRescanning) {
  std::u16string text = u"aaaa";
  EXPECT_EQ(ReplaceAllWide(u"aa", u"a", &text), 2);
  EXPECT_EQ(text, u"aa");

  text = u"ab";
  EXPECT_EQ(ReplaceAllWide(u"a", u"aa", &text), 1);  // replacement not searched again
  EXPECT_EQ(text, u"aab");

  text = u"unchanged";
  EXPECT_EQ(ReplaceAllWide(u"", u"x", &text), 0);
  EXPECT_EQ(text, u"unchanged");

  std::string narrow = "one\\ntwo\\n";
  EXPECT_EQ(ReplaceAllNarrow("\\n", "\n", &narrow), 2);
  EXPECT_EQ(narrow, "one\ntwo\n");
  EXPECT_EQ(ReplaceAllNarrow("", "x", &narrow), 0);
}

TEST(TrimTest, RemovesBlanksAndControlsBelow30) {
  std::u16string text = u"\t \r\n\x1e" u"id\x1f \x01\n";
  Trim(&text);
  EXPECT_EQ(text, u"\x1e" u"id\x1f");  // 30 and 31 stay
  std::u16string only_blanks = u" \t ";
  TrimRight(&only_blanks);
  EXPECT_EQ(only_blanks, u"");
}

TEST(Utf8ToWideTest, MalformedSequencesBecomeReplacementCharacters) {
  struct Case {
    const char* name;
    std::string in;
    std::u16string out;
  } cases[] = {
      {"ascii", "abc", u"abc"},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"lone lead", "a\xC3", u"a\uFFFD"},
      {"truncated three", "\xE2\x82" "x", u"\uFFFDx"},
      {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"stray continuation", "\x80z", u"\uFFFDz"},
  };
  for (const auto& c : cases) {
    std::u16string out = u"stale";
    EXPECT_TRUE(Utf8ToWide(c.in.c_str(), &out)) << c.name;
    EXPECT_EQ(out, c.out) << c.name;
  }
  std::u16string out = u"stale";
  EXPECT_FALSE(Utf8ToWide("", &out));
  EXPECT_TRUE(out.empty());

  // The whole string by its length, zero bytes included.
  EXPECT_TRUE(MultiByteToWide(std::string("a\0b", 3), &out));
  EXPECT_EQ(out, std::u16string(u"a\0b", 3));
}

TEST(WideToUtf8Test, PairsEncodeAsOneCharacterAndLoneSurrogatesAreReplaced) {
  std::string out;
  EXPECT_TRUE(WideToUtf8(u"\U0001F600\u00E9", &out));
  EXPECT_EQ(out, "\xF0\x9F\x98\x80\xC3\xA9");

  const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00, 0};
  EXPECT_TRUE(WideToUtf8(lone, &out));
  EXPECT_EQ(out, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");

  EXPECT_FALSE(WideToUtf8(u"", &out));
  EXPECT_TRUE(out.empty());
}

TEST(FormatWideStringTest, ConversionsFlagsAndWidths) {
  EXPECT_EQ(FormatWideString(u"%d|%i|%u", -42, 7, 4000000000u), u"-42|7|4000000000");
  EXPECT_EQ(FormatWideString(u"%05d|%-5d|%+d", -42, 3, 3), u"-0042|3    |+3");
  EXPECT_EQ(FormatWideString(u"%#010x|%X|%o", 255u, 0xABu, 8u), u"0x000000ff|AB|10");
  EXPECT_EQ(FormatWideString(u"%lld|%zu", -9000000000LL, size_t{12}), u"-9000000000|12");
  EXPECT_EQ(FormatWideString(u"%.2f|%08.3f|%e", 3.14159, -2.5, 1000.0),
            u"3.14|-002.500|1.000000e+03");
  EXPECT_EQ(FormatWideString(u"%*d|%-*d|", 4, 1, 3, 2), u"   1|2  |");
  EXPECT_EQ(FormatWideString(u"100%% %c", u'x'), u"100% x");
  EXPECT_EQ(FormatWideString(u"%ls needed.", u" 4.00G"), u" 4.00G needed.");
  EXPECT_EQ(FormatWideString(u"[%hs]", "caf\xC3\xA9"), u"[caf\u00E9]");
  EXPECT_EQ(FormatWideString(u"[%6s]", u"ab"), u"[    ab]");
}

TEST(FormatWideStringTest, StringPrecisionNeverSplitsASurrogatePair) {
  EXPECT_EQ(FormatWideString(u"[%.1ls]", u"\U0001F600x"), u"[]");
  EXPECT_EQ(FormatWideString(u"[%.2ls]", u"\U0001F600x"), u"[\U0001F600]");
  EXPECT_EQ(FormatWideString(u"[%.3s]", u"a\U0001F600"), u"[a\U0001F600]");
}

TEST(FormatWideStringTest, LongTextsUpToTheLimitAndNothingBeyond) {
  const std::u16string long_text(5000, u'w');
  const std::u16string result = FormatWideString(u"<%ls>", long_text.c_str());
  EXPECT_EQ(result.size(), 5002u);
  EXPECT_EQ(result, u"<" + long_text + u">");

  EXPECT_EQ(FormatWideString(u"%*d", static_cast<int>(kMaxFormattedLength), 7).size(),
            kMaxFormattedLength);
  EXPECT_TRUE(FormatWideString(u"%*d", static_cast<int>(kMaxFormattedLength + 1), 7).empty());
  EXPECT_TRUE(FormatWideString(u"x%99999999999d", 1).empty());
}

TEST(FormatWideStringTest, RefusesWritesAndMalformedConversions) {
  int written = 0;
  EXPECT_TRUE(FormatWideString(u"ab%n", &written).empty());
  EXPECT_EQ(written, 0);
  EXPECT_TRUE(FormatWideString(u"trailing %").empty());
}

}  // namespace
}  // namespace ui
