// The receive-speed limit as one budget for the whole download, refilled
// with time: a transfer whose data finds the budget spent is paused until
// it refills, so all transfers together stay under the limit.
#pragma once

#include <cstdint>

class TransferBudget {
 public:
  // Bytes per second; 0 lifts the limit. What is left of the budget stays.
  void SetLimit(int64_t bytesPerSecond) { limit_ = bytesPerSecond; }
  // Empties the budget; it refills from now.
  void Reset();
  int64_t limit() const { return limit_; }
  bool limited() const { return limit_ > 0; }
  // Refills the budget for the time passed; true when nothing may be
  // received now.
  bool Spent();
  // Bytes received against the budget.
  void Consume(int64_t bytes);

 private:
  int64_t limit_ = 0;
  double budget_ = 0;
  int64_t refilled_us_ = 0;
};
