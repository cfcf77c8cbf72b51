#include "base/util/string_util.h"

#include <cstdio>
#include <memory>

namespace kbase {

namespace {

constexpr size_t kStackBufferSize = 1024;
constexpr size_t kFirstHeapBufferSize = 2048;

// Formats into |buffer| with a fresh copy of |args|: a va_list consumed by one
// vsnprintf call cannot be reused for the next attempt.
int FormatInto(char* buffer, size_t size, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(buffer, size, format, copy);
  va_end(copy);
  return length;
}

bool Fits(int length, size_t size) {
  return length >= 0 && static_cast<size_t>(length) < size;
}

}  // namespace

std::string FormatStringV(const char* format, va_list args) {
  char stack_buffer[kStackBufferSize];
  int length = FormatInto(stack_buffer, sizeof(stack_buffer), format, args);
  if (Fits(length, sizeof(stack_buffer)))
    return std::string(stack_buffer, static_cast<size_t>(length));

  for (size_t size = kFirstHeapBufferSize; size <= kFormatStringMaxBuffer; size *= 2) {
    auto heap_buffer = std::make_unique<char[]>(size);
    length = FormatInto(heap_buffer.get(), size, format, args);
    if (Fits(length, size))
      return std::string(heap_buffer.get(), static_cast<size_t>(length));
  }
  return std::string();
}

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = FormatStringV(format, args);
  va_end(args);
  return result;
}

}  // namespace kbase
