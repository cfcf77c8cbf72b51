#include "ui/attribute_value.h"

#include <cstdint>
#include <limits>

namespace ui {

bool ParseBoolValue(const std::u16string& value) { return value == u"true"; }

int ReadIntAt(const std::u16string& text, size_t start, size_t* end) {
  size_t pos = start;
  while (pos < text.size() && (text[pos] == u' ' || (text[pos] >= 9 && text[pos] <= 13))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  const size_t digits_start = pos;
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int>::max()} + 1;
  while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
    if (value < kLimit) value = value * 10 + (text[pos] - u'0');
    ++pos;
  }
  if (pos == digits_start) {
    *end = start;
    return 0;
  }
  *end = pos;
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

int ParseIntValue(const std::u16string& value) {
  size_t end = 0;
  return ReadIntAt(value, 0, &end);
}

std::vector<int> ParseIntList(const std::u16string& value, size_t count) {
  std::vector<int> numbers(count, 0);
  size_t pos = 0;
  for (size_t i = 0; i < count && pos < value.size(); ++i) {
    size_t end = pos;
    numbers[i] = ReadIntAt(value, pos, &end);
    pos = end + 1;
  }
  return numbers;
}

UiRect ParseRectValue(const std::u16string& value) {
  std::vector<int> n = ParseIntList(value, 4);
  return UiRect{n[0], n[1], n[2], n[3]};
}

UiSize ParseSizeValue(const std::u16string& value) {
  std::vector<int> n = ParseIntList(value, 2);
  return UiSize{n[0], n[1]};
}

}  // namespace ui
