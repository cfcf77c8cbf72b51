#pragma once
// A delay or period of posted work: a signed 64-bit count of microseconds
// (TimeDelta(2000000) is two seconds).

#include <cstdint>

namespace kbase {

class TimeDelta {
 public:
  constexpr TimeDelta() = default;
  constexpr explicit TimeDelta(int64_t microseconds) : microseconds_(microseconds) {}

  static constexpr TimeDelta FromMicroseconds(int64_t us) { return TimeDelta(us); }
  static constexpr TimeDelta FromMilliseconds(int64_t ms) { return TimeDelta(ms * 1000); }
  static constexpr TimeDelta FromSeconds(int64_t s) { return TimeDelta(s * 1000000); }

  constexpr int64_t ToMicroseconds() const { return microseconds_; }
  constexpr int64_t ToMilliseconds() const { return microseconds_ / 1000; }

  constexpr bool operator==(const TimeDelta&) const = default;
  constexpr auto operator<=>(const TimeDelta&) const = default;

 private:
  int64_t microseconds_ = 0;
};

}  // namespace kbase
