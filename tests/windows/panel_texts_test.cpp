// The texts of the panels and dialogs: size units and their field width,
// placeholders replaced literally, clock texts and speeds that are never
// negative.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "project/Launcher/windows/panel_texts.h"

namespace {

using namespace panel_texts;

TEST(PanelTextsTest, SizesUseKbMAndGWithAFieldOfFive) {
  struct Case {
    uint64_t bytes;
    const char16_t* text;
  } cases[] = {
      {0, u" 0.00KB"},
      {524288, u"512.00KB"},
      {1048575, u"1024.00KB"},
      {1048576, u" 1.00M"},
      {1572864, u" 1.50M"},
      {96636764, u"92.16M"},
      {1073741824, u" 1.00G"},
      {uint64_t{7} << 29, u" 3.50G"},
      {uint64_t{5} << 40, u"5120.00G"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, SizeText(c.bytes)) << c.bytes;
}

TEST(PanelTextsTest, ThePlaceholderIsReplacedLiterally) {
  EXPECT_EQ(u"Download speed:  1.50M/S", WithArgument(u"Download speed: %ls/S", u" 1.50M"));
  // Percent signs and other directives of a translation stay as written;
  // an argument holding "%ls" is not expanded again.
  EXPECT_EQ(u"100% %s %d: x%lsy", WithArgument(u"100% %s %d: %ls", u"x%lsy"));
  EXPECT_EQ(u"no placeholder", WithArgument(u"no placeholder", u"x"));
  EXPECT_EQ(u"a b %ls", WithArgument(u"a %ls %ls", u"b"));
}

TEST(PanelTextsTest, ClockTextsAndSpeeds) {
  EXPECT_EQ(u"01:02:03", ClockText(3723));
  EXPECT_EQ(u"25:01:01", ClockText(90061));
  EXPECT_EQ(u"00:00:59", ClockText(59));
  EXPECT_EQ(u"00:00:00", ClockText(-5));

  EXPECT_EQ(0u, SpeedBytes(-1.0));
  EXPECT_EQ(0u, SpeedBytes(std::nan("")));
  // Loopback goes well beyond 2 GiB/s: no 32-bit step on the way.
  EXPECT_EQ(uint64_t{5} << 31, SpeedBytes(static_cast<double>(uint64_t{5} << 31)));
  EXPECT_EQ(std::numeric_limits<uint64_t>::max(), SpeedBytes(1e30));
  EXPECT_EQ(0u, SpeedBytes(int64_t{-2}));
  EXPECT_EQ(uint64_t{3} << 31, SpeedBytes(int64_t{3} << 31));
}

TEST(PanelTextsTest, PercentsPutTheSignAfterOrBeforeByLanguage) {
  EXPECT_EQ(u"45%", PercentText(450, 1000, 0));
  EXPECT_EQ(u"%45", PercentText(450, 1000, 10));
  EXPECT_EQ(u"0%", PercentText(5, 0, 0));
}

}  // namespace
