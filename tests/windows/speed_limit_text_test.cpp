// The speed-limit field rules: the text shown while typing and the value
// stored when the field is left.
#include <gtest/gtest.h>

#include <string>

#include "project/Launcher/windows/speed_limit_text.h"

namespace {

TEST(SpeedLimitTextTest, TypingCapsAtTheMaximumOnly) {
  const struct {
    std::string typed;
    std::string shown;
  } cases[] = {
      {"", ""},                  // emptied: left alone until the field is left
      {"5", "5"},                // no lower bound while typing
      {"2000", "2000"},
      {"20000", "10240"},        // the fifth digit goes past the maximum
      {"10240", "10240"},        // already shown as it stays: no rewrite
      {"007", "7"},
      {"99999999999", "10240"},  // more digits than 32 bits hold
      {"99999999999999999999999999", "10240"},
  };
  for (const auto& c : cases) EXPECT_EQ(SpeedTextWhileTyping(c.typed), c.shown) << c.typed;
}

TEST(SpeedLimitTextTest, LeavingClampsToTheRange) {
  const struct {
    std::string text;
    int32_t stored;
  } cases[] = {
      {"", 100}, {"5", 100}, {"0", 100}, {"100", 100}, {"4096", 4096},
      {"10240", 10240}, {"10241", 10240}, {"2147483647", 10240}, {"2147483648", 10240},
      {"184467440737095516160", 10240},
  };
  for (const auto& c : cases) EXPECT_EQ(SpeedValueOnLeave(c.text), c.stored) << c.text;
}

}  // namespace
