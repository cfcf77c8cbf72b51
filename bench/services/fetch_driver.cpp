// Fetches files with the download manager, all queued at once, as the
// launcher's worker does (the pump called on a 2 ms tick), each checked
// against its MD5.
//   services_fetch_driver MIRROR (URLPATH LOCALFILE MD5 SIZE)...
// Exit status 0 when every file arrived with its expected digest.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "project/Launcher/services/download_manager.h"

int main(int argc, char** argv) {
  if (argc < 6 || (argc - 2) % 4 != 0) {
    std::fprintf(stderr, "usage: %s MIRROR (URLPATH LOCALFILE MD5 SIZE)...\n", argv[0]);
    return 2;
  }
  DownloadHost host;
  DownloadManager manager;
  manager.Init(&host);
  manager.SetMirrors({argv[1]});
  int64_t total = 0;
  int pending = 0;
  bool failed = false;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 2; i + 3 < argc; i += 4) {
    const int64_t size = std::strtoll(argv[i + 3], nullptr, 10);
    total += size;
    ++pending;
    manager.DownloadFile(argv[i], argv[i + 1], argv[i + 2], size,
                         [&](int32_t, int32_t r, std::string path, std::string text) {
                           --pending;
                           if (r == 0) return;
                           failed = true;
                           std::fprintf(stderr, "download of %s failed: %d %s\n", path.c_str(),
                                        r, text.c_str());
                         },
                         nullptr, 0);
  }
  manager.SetJob(total);
  // The launcher's worker pumps on a repeating 2 ms tick.
  auto tick = std::chrono::steady_clock::now();
  while (pending > 0) {
    manager.PumpTransfers();
    tick += std::chrono::milliseconds(2);
    std::this_thread::sleep_until(tick);
    tick = std::max(tick, std::chrono::steady_clock::now());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (failed) return 1;
  std::fprintf(stderr, "downloaded %lld bytes in %.2f s, %lld read back for the hash\n",
               static_cast<long long>(total), seconds,
               static_cast<long long>(manager.read_back_bytes()));
  return 0;
}
