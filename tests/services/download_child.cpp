// Downloads one file with the download manager and exits 0 on success: the
// process that the resume test kills and starts again.
//   services_download_child MIRROR URLPATH LOCALFILE MD5 SIZE
#include <cstdio>
#include <cstdlib>
#include <string>

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
  bool done = false;
  int32_t result = -100;
  manager.DownloadFile(argv[2], argv[3], argv[4], std::strtoll(argv[5], nullptr, 10),
                       [&](int32_t, int32_t r, std::string, std::string message) {
                         done = true;
                         result = r;
                         if (r != 0) std::fprintf(stderr, "failed: %s\n", message.c_str());
                       },
                       nullptr, 0);
  while (!done) manager.PumpTransfers();
  return result == 0 ? 0 : 1;
}
