// launcher_test_server: serves a folder (and generated files) over HTTP or
// HTTPS on 127.0.0.1 until it receives SIGINT or SIGTERM.
//
//   launcher_test_server [--port N] [--root DIR] [--tls CERT KEY]
//                        [--pattern URLPATH SIZE SEED]...
//
// Prints "port N" and, for each generated file, "md5 URLPATH DIGEST" on
// standard output once it listens.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/test_server/test_server.h"

int main(int argc, char** argv) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);  // every thread inherits the mask

  testsrv::TestServer server;
  unsigned port = 0;
  std::string cert, key;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--port" && i + 1 < argc) {
      port = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (a == "--root" && i + 1 < argc) {
      server.ServeFolder(argv[++i]);
    } else if (a == "--tls" && i + 2 < argc) {
      cert = argv[++i];
      key = argv[++i];
    } else if (a == "--pattern" && i + 3 < argc) {
      const std::string path = argv[++i];
      const long long size = std::strtoll(argv[++i], nullptr, 10);
      const unsigned seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
      auto content = testsrv::MakePatternContent(size, seed);
      std::printf("md5 %s %s\n", path.c_str(), testsrv::ContentMd5(*content).c_str());
      server.AddFile(path, content);
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", a.c_str());
      return 2;
    }
  }
  if (port > 65535 || !server.Start(static_cast<uint16_t>(port), cert, key)) {
    std::fprintf(stderr, "cannot listen\n");
    return 1;
  }
  std::printf("port %u\n", server.port());
  std::fflush(stdout);
  int sig = 0;
  sigwait(&set, &sig);
  server.Stop();
  return 0;
}
