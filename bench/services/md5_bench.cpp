// MD5 of the same 1 GiB buffer by our Md5Context and by OpenSSL, in one run;
// the ratio of their throughputs is printed after the table (1.0 = as fast
// as OpenSSL).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "project/Launcher/services/md5_context.h"

namespace {

constexpr size_t kBufferBytes = size_t{1} << 30;

const std::vector<uint8_t>& Buffer() {
  static const std::vector<uint8_t> buffer = [] {
    std::vector<uint8_t> bytes(kBufferBytes);
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < bytes.size(); i += 8) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<uint8_t>(x >> (8 * k));
    }
    return bytes;
  }();
  return buffer;
}

void BM_Md5Ours(benchmark::State& state) {
  const std::vector<uint8_t>& buffer = Buffer();
  for (auto _ : state) {
    Md5Context context;
    context.Update(buffer.data(), buffer.size());
    context.finished = true;
    context.Final();
    benchmark::DoNotOptimize(context.digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * buffer.size());
}

void BM_Md5OpenSsl(benchmark::State& state) {
  const std::vector<uint8_t>& buffer = Buffer();
  for (auto _ : state) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(buffer.data(), buffer.size(), digest, &length, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * buffer.size());
}

BENCHMARK(BM_Md5Ours)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Md5OpenSsl)->Unit(benchmark::kMillisecond)->Iterations(5);

// Keeps each benchmark's throughput to print the ratio afterwards.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) rates_[run.benchmark_name()] = it->second.value;
    }
  }
  void PrintRatio() const {
    auto ours = rates_.find("BM_Md5Ours/iterations:5");
    auto theirs = rates_.find("BM_Md5OpenSsl/iterations:5");
    if (ours == rates_.end() || theirs == rates_.end() || theirs->second <= 0) return;
    std::printf("MD5 throughput ours / OpenSSL: %.3f (%.0f MB/s vs %.0f MB/s)\n",
                ours->second / theirs->second, ours->second / 1e6, theirs->second / 1e6);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Buffer();  // made before any timing
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
