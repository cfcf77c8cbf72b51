#include "ui/image_attribute.h"

#include <algorithm>
#include <limits>

#include "ui/dpi_manager.h"

namespace ui {

namespace {

bool IsBlankOrControl(char16_t c) { return c >= 1 && c <= 32; }

// A decimal integer as wcstol reads it: blanks, a sign, digits. |end| is
// where the reading stopped (|start| when there were no digits).
long ReadInteger(const std::u16string& text, size_t start, size_t* end) {
  size_t i = start;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const size_t digits = i;
  int64_t value = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    if (value < std::numeric_limits<int32_t>::max()) value = value * 10 + (text[i] - u'0');
    ++i;
  }
  if (i == digits) {
    *end = start;
    return 0;
  }
  *end = i;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  return static_cast<long>(negative ? -value : value);
}

// Four integers, each read one character after the end of the previous one.
UiRect ReadRect(const std::u16string& value) {
  int sides[4] = {0, 0, 0, 0};
  size_t pos = 0;
  for (int& side : sides) {
    size_t end = pos;
    side = pos <= value.size() ? static_cast<int>(ReadInteger(value, pos, &end)) : 0;
    pos = end + 1;
  }
  return UiRect{sides[0], sides[1], sides[2], sides[3]};
}

}  // namespace

void ImageAttribute::Init() {
  simageString.clear();
  sImageName.clear();
  rcDest = UiRect{-1, -1, -1, -1};
  rcSource = UiRect{-1, -1, -1, -1};
  rcCorner = UiRect{0, 0, 0, 0};
  bFade = 255;
  bTiledX = false;
  bTiledY = false;
  nPlayCount = -1;
}

bool ImageAttribute::IsRectSet(const UiRect& rect) {
  return rect.left != -1 && rect.top != -1 && rect.right != -1 && rect.bottom != -1;
}

void ImageAttribute::ApplyAttributeString(const std::u16string& attribute) {
  const std::u16string& s = attribute;
  bool scale_dest = true;
  size_t pos = 0;
  while (pos < s.size()) {
    while (pos < s.size() && IsBlankOrControl(s[pos])) ++pos;
    const size_t name_start = pos;
    while (pos < s.size() && s[pos] != u'=' && s[pos] > 32) ++pos;
    const std::u16string name = s.substr(name_start, pos - name_start);
    while (pos < s.size() && IsBlankOrControl(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != u'=') return;
    ++pos;
    while (pos < s.size() && IsBlankOrControl(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != u'\'') return;
    ++pos;
    const size_t close = s.find(u'\'', pos);
    if (close == std::u16string::npos) return;
    const std::u16string value = s.substr(pos, close - pos);
    pos = close + 1;

    if (!value.empty()) {
      size_t end = 0;
      if (name == u"file" || name == u"res") {
        sImageName = value;
      } else if (name == u"destscale") {
        scale_dest = value == u"true";
      } else if (name == u"dest") {
        rcDest = ReadRect(value);
        if (scale_dest) DpiManager::GetInstance()->ScaleRect(&rcDest);
      } else if (name == u"source") {
        rcSource = ReadRect(value);
      } else if (name == u"corner") {
        rcCorner = ReadRect(value);
      } else if (name == u"fade") {
        bFade = static_cast<uint8_t>(std::clamp<long>(ReadInteger(value, 0, &end), 0, 255));
      } else if (name == u"xtiled") {
        bTiledX = value == u"true";
      } else if (name == u"ytiled") {
        bTiledY = value == u"true";
      } else if (name == u"playcount") {
        nPlayCount = static_cast<int32_t>(ReadInteger(value, 0, &end));
      }
    }
    // Pairs are separated by exactly one blank.
    if (pos >= s.size() || s[pos] != u' ') return;
    ++pos;
  }
}

}  // namespace ui
