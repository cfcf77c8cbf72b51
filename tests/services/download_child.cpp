// Downloads files with the download manager and exits 0 when every one
// succeeded: the process that the resume tests kill and start again.
//   services_download_child MIRROR (URLPATH LOCALFILE MD5 SIZE)...
#include <cstdio>
#include <cstdlib>
#include <string>

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
  int pending = 0;
  bool failed = false;
  for (int i = 2; i + 3 < argc; i += 4) {
    ++pending;
    manager.DownloadFile(argv[i], argv[i + 1], argv[i + 2], std::strtoll(argv[i + 3], nullptr, 10),
                         [&](int32_t, int32_t r, std::string path, std::string message) {
                           --pending;
                           if (r == 0) return;
                           failed = true;
                           std::fprintf(stderr, "failed: %s: %s\n", path.c_str(),
                                        message.c_str());
                         },
                         nullptr, 0);
  }
  while (pending > 0) manager.PumpTransfers();
  return failed ? 1 : 0;
}
