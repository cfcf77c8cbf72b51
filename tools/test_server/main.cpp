// launcher_test_server: serves a folder (and generated files) over HTTP or
// HTTPS on 127.0.0.1 until it receives SIGINT or SIGTERM.
//
//   launcher_test_server [--port N] [--root DIR] [--tls CERT KEY | --make-tls DIR]
//                        [--pattern URLPATH SIZE SEED]...
//
// --make-tls generates a CA and a server certificate for 127.0.0.1 in DIR
// and serves HTTPS with them. Prints "ca PATH" (with --make-tls), "md5
// URLPATH DIGEST" for each generated file and "port N" once it listens.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/test_server/test_server.h"

namespace {

int g_stop_pipe[2] = {-1, -1};

// Whatever thread receives the signal, the main thread learns of it through
// the pipe and stops the server cleanly.
void OnStopSignal(int) {
  const char byte = 1;
  const ssize_t written = write(g_stop_pipe[1], &byte, 1);
  (void)written;
}

}  // namespace

int main(int argc, char** argv) {
  if (pipe(g_stop_pipe) != 0) return 1;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

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
    } else if (a == "--make-tls" && i + 1 < argc) {
      testsrv::TlsFiles files;
      if (!testsrv::GenerateTlsFiles(argv[++i], &files)) {
        std::fprintf(stderr, "cannot generate certificates\n");
        return 1;
      }
      cert = files.serverCert;
      key = files.serverKey;
      std::printf("ca %s\n", files.caCert.c_str());
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
  char byte = 0;
  while (read(g_stop_pipe[0], &byte, 1) < 0 && errno == EINTR) {
  }
  server.Stop();
  return 0;
}
