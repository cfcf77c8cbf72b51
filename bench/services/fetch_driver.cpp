// Fetches one file with the download manager, as the launcher's worker does
// (the pump called on a 2 ms tick), and checks its MD5.
//   services_fetch_driver MIRROR URLPATH LOCALFILE MD5 SIZE
// Exit status 0 when the file arrived with the expected digest.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <algorithm>

#include "project/Launcher/services/download_manager.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s MIRROR URLPATH LOCALFILE MD5 SIZE\n", argv[0]);
    return 2;
  }
  DownloadHost host;
  DownloadManager manager;
  manager.Init(&host);
  manager.SetMirrors({argv[1]});
  const int64_t size = std::strtoll(argv[5], nullptr, 10);
  manager.SetJob(size);
  bool done = false;
  int32_t result = -100;
  std::string message;
  const auto start = std::chrono::steady_clock::now();
  manager.DownloadFile(argv[2], argv[3], argv[4], size,
                       [&](int32_t, int32_t r, std::string, std::string text) {
                         done = true;
                         result = r;
                         message = std::move(text);
                       },
                       nullptr, 0);
  // The launcher's worker pumps on a repeating 2 ms tick.
  auto tick = std::chrono::steady_clock::now();
  while (!done) {
    manager.PumpTransfers();
    tick += std::chrono::milliseconds(2);
    std::this_thread::sleep_until(tick);
    tick = std::max(tick, std::chrono::steady_clock::now());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (result != 0) {
    std::fprintf(stderr, "download failed: %d %s\n", result, message.c_str());
    return 1;
  }
  std::fprintf(stderr, "downloaded %lld bytes in %.2f s\n", static_cast<long long>(size), seconds);
  return 0;
}
