#include "project/Launcher/services/transfer_budget.h"

#include <algorithm>
#include <chrono>

namespace {

int64_t SteadyMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void TransferBudget::Reset() {
  budget_ = 0;
  refilled_us_ = 0;
}

bool TransferBudget::Spent() {
  const int64_t now = SteadyMicros();
  if (refilled_us_ == 0) refilled_us_ = now;
  budget_ += static_cast<double>(now - refilled_us_) * static_cast<double>(limit_) / 1e6;
  refilled_us_ = now;
  // At most a tenth of a second may be received in one burst.
  const double cap = std::max(16384.0, static_cast<double>(limit_) / 10);
  budget_ = std::min(budget_, cap);
  return budget_ <= 0;
}

void TransferBudget::Consume(int64_t bytes) { budget_ -= static_cast<double>(bytes); }
