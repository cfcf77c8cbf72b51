// The console report of Google Benchmark, plus the ratio of our time to the
// direct drawing's for each pair "BM_<name>Ours" / "BM_<name>Direct", printed
// after the table (1.0 = as fast).
#ifndef BENCH_RENDER_RATIO_REPORTER_H_
#define BENCH_RENDER_RATIO_REPORTER_H_

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.iterations > 0) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }

  void PrintRatios(const std::vector<std::string>& names) const {
    for (const std::string& name : names) {
      auto ours = times_.find("BM_" + name + "Ours");
      auto direct = times_.find("BM_" + name + "Direct");
      if (ours == times_.end() || direct == times_.end() || direct->second <= 0) continue;
      std::printf("%-14s ours / direct cairo+pango: %.2f\n", name.c_str(),
                  ours->second / direct->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace bench

#endif  // BENCH_RENDER_RATIO_REPORTER_H_
