// How attribute values are read: booleans are "true" exactly; integers are
// decimal with an optional sign (a text that does not start with one gives
// 0); integer lists read each next number one character after the end of the
// previous one, so any single separator works, and numbers missing at the
// end of the text count as 0.
#ifndef UI_ATTRIBUTE_VALUE_H_
#define UI_ATTRIBUTE_VALUE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "ui/render/render_types.h"

namespace ui {

bool ParseBoolValue(const std::u16string& value);
// Leading blanks and control characters are skipped, as the C library does.
int ParseIntValue(const std::u16string& value);
// Reads a number at |start| (leading blanks skipped); |end| is where the
// digits stop, |start| when there are none (then the result is 0). Values
// beyond 32 bits saturate.
int ReadIntAt(const std::u16string& text, size_t start, size_t* end);
std::vector<int> ParseIntList(const std::u16string& value, size_t count);
UiRect ParseRectValue(const std::u16string& value);
UiSize ParseSizeValue(const std::u16string& value);

}  // namespace ui

#endif  // UI_ATTRIBUTE_VALUE_H_
