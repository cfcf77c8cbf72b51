// The clusters a spaced text is cut into and the order they are placed in.
#include "ui/render/text_clusters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui {
namespace {

using Lines = std::vector<ClusterLine>;

TEST(TextClustersTest, ThaiMarksStayWithTheirLetter) {
  struct Case {
    const char* what;
    std::u16string text;
    ClusterLine clusters;
  };
  const Case cases[] = {
      {"letter and upper vowel", u"\u0E2A\u0E31", {u"\u0E2A\u0E31"}},
      // A tone mark after the vowel belongs to the same letter; drawn alone
      // it would sit on a dotted circle.
      {"letter, vowel and tone mark", u"\u0E2B\u0E34\u0E48", {u"\u0E2B\u0E34\u0E48"}},
      // SARA AM with a tone mark before it: one cluster with the letter.
      {"tone mark and SARA AM", u"\u0E19\u0E49\u0E33", {u"\u0E19\u0E49\u0E33"}},
      {"word", u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35",
       {u"\u0E2A", u"\u0E27\u0E31", u"\u0E2A", u"\u0E14\u0E35"}},
      {"leading vowel is a letter of its own", u"\u0E40\u0E01\u0E48",
       {u"\u0E40", u"\u0E01\u0E48"}},
      {"latin with a combining accent", u"e\u0301a", {u"e\u0301", u"a"}},
      {"surrogate pair", u"a\U0001F600b", {u"a", u"\U0001F600", u"b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitTextClusters(c.text), Lines{c.clusters}) << c.what;
  }
}

TEST(TextClustersTest, ArabicLettersThatJoinStayTogether) {
  struct Case {
    const char* what;
    std::u16string text;
    ClusterLine logical;
  };
  const Case cases[] = {
      // Alef joins only the letter before it, so the last beh stands alone.
      {"beh alef beh", u"\u0628\u0627\u0628", {u"\u0628\u0627", u"\u0628"}},
      {"lam alef", u"\u0644\u0627", {u"\u0644\u0627"}},
      {"beh lam alef", u"\u0628\u0644\u0627", {u"\u0628\u0644\u0627"}},
      {"three joined behs", u"\u0628\u0628\u0628", {u"\u0628\u0628\u0628"}},
      {"hamza joins nothing", u"\u0628\u0621\u0628", {u"\u0628", u"\u0621", u"\u0628"}},
      // A vowel sign after a closed cluster stays on its letter.
      {"diacritic after a final letter", u"\u0628\u0627\u064E", {u"\u0628\u0627\u064E"}},
      {"diacritic inside a word", u"\u0628\u064E\u0628", {u"\u0628\u064E\u0628"}},
      {"tatweel after a joining letter", u"\u0628\u0640", {u"\u0628\u0640"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitArabicClusters(c.text), c.logical) << c.what;
  }
}

TEST(TextClustersTest, ArabicLinesAreOrderedRightToLeftByLevels) {
  // Reading order beh-alef, beh; placed from the left: beh, beh-alef.
  EXPECT_EQ(SplitTextClusters(u"\u0628\u0627\u0628"), (Lines{{u"\u0628", u"\u0628\u0627"}}));
  // Digits inside Arabic keep their own order: "15" is placed as 1 then 5,
  // both to the left of the word that comes before them.
  EXPECT_EQ(SplitTextClusters(u"\u0628\u0627\u0628 15"),
            (Lines{{u"1", u"5", u" ", u"\u0628", u"\u0628\u0627"}}));
  // So does a Latin run.
  EXPECT_EQ(SplitTextClusters(u"\u0644\u0627 ab"), (Lines{{u"a", u"b", u" ", u"\u0644\u0627"}}));
}

TEST(TextClustersTest, LinesSplitAtLineFeedsWithoutEmptyLines) {
  EXPECT_EQ(SplitTextClusters(u"\nab\n\ncd\n"), (Lines{{u"a", u"b"}, {u"c", u"d"}}));
  EXPECT_EQ(SplitTextClusters(u"a\r\nb"), (Lines{{u"a", u"\r"}, {u"b"}}));
  EXPECT_TRUE(SplitTextClusters(u"").empty());
  EXPECT_TRUE(SplitTextClusters(u"\n\n").empty());
}

}  // namespace
}  // namespace ui
