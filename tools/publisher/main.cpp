// launcher_publisher: generates the publisher's content and serves it on
// 127.0.0.1 until SIGINT or SIGTERM.
//
//   launcher_publisher --content DIR [--port N] [--tls CERT KEY]
//                      [--game-version V] [--launcher-version V]
//                      [--patch-option N] [--patch-ext .patch|.ovdiff]
//                      [--inline-cdn] [--no-others]
//                      [--status PATH CODE] [--drop PATH BYTES]
//                      [--stall PATH BYTES] [--corrupt PATH OFFSET]
//                      [--setting FILE] [--dlc-urls] [--log FILE]
//                      [--launcher-program FILE]
//
// Prints "port N" and "base URL" once it listens. --setting writes a
// "setting.json" that points a launcher at this publisher; --log appends
// every request as a JSON line. --launcher-program serves FILE as every
// launcher version's "launcher.exe" (to start the real program against it).
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/publisher/content_generator.h"
#include "tools/publisher/local_publisher.h"

namespace {

int Usage(const std::string& argument) {
  std::fprintf(stderr, "launcher_publisher: bad argument: %s\n", argument.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);  // every thread inherits the mask

  std::string contentFolder, cert, key, settingFile, logFile, launcherProgramFile;
  std::string gameVersion = publisher::kGameVersion2;
  std::string launcherVersion = publisher::kLauncherVersionNew;
  std::string patchExtension = ".patch";
  bool dlcUrls = false;
  unsigned long port = 0;
  publisher::GateOptions gate;
  std::map<std::string, testsrv::Fault> faults;

  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto has = [&](int n) { return i + n < argc; };
    if (a == "--content" && has(1)) {
      contentFolder = argv[++i];
    } else if (a == "--port" && has(1)) {
      port = std::strtoul(argv[++i], nullptr, 10);
    } else if (a == "--tls" && has(2)) {
      cert = argv[++i];
      key = argv[++i];
    } else if (a == "--game-version" && has(1)) {
      gameVersion = argv[++i];
    } else if (a == "--launcher-version" && has(1)) {
      launcherVersion = argv[++i];
    } else if (a == "--patch-option" && has(1)) {
      gate.patchOption = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
    } else if (a == "--patch-ext" && has(1)) {
      patchExtension = argv[++i];
      if (patchExtension != ".patch" && patchExtension != ".ovdiff") return Usage(patchExtension);
    } else if (a == "--inline-cdn") {
      gate.inlineCdn = true;
    } else if (a == "--no-others") {
      gate.othersAbsent = true;
    } else if ((a == "--status" || a == "--drop" || a == "--stall" || a == "--corrupt") && has(2)) {
      testsrv::Fault& fault = faults[argv[++i]];
      const long long value = std::strtoll(argv[++i], nullptr, 10);
      if (a == "--status") fault.status = static_cast<int>(value);
      if (a == "--drop") fault.dropAfter = value;
      if (a == "--stall") fault.stallAfter = value;
      if (a == "--corrupt") fault.corruptAt = value;
    } else if (a == "--setting" && has(1)) {
      settingFile = argv[++i];
    } else if (a == "--dlc-urls") {
      dlcUrls = true;
    } else if (a == "--launcher-program" && has(1)) {
      launcherProgramFile = argv[++i];
    } else if (a == "--log" && has(1)) {
      logFile = argv[++i];
    } else {
      return Usage(a);
    }
  }
  if (contentFolder.empty() || port > 65535) return Usage("--content DIR is required");

  publisher::GeneratedContent content;
  std::string error;
  std::string launcherProgram;
  if (!launcherProgramFile.empty()) {
    std::ifstream in(launcherProgramFile, std::ios::binary);
    launcherProgram.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) launcherProgram.clear();
    if (launcherProgram.empty()) return Usage("--launcher-program " + launcherProgramFile);
  }
  if (!publisher::GenerateContent(contentFolder, &content, &error, launcherProgram)) {
    std::fprintf(stderr, "launcher_publisher: %s\n", error.c_str());
    return 1;
  }
  publisher::LocalPublisher server(std::move(content));
  if (!server.Start(static_cast<uint16_t>(port), cert, key)) {
    std::fprintf(stderr, "launcher_publisher: cannot listen\n");
    return 1;
  }
  server.SetGateOptions(gate);
  server.ServeGameVersion(gameVersion);
  server.ServeLauncherVersion(launcherVersion);
  server.SetPatchExtension(patchExtension);
  for (const auto& [path, fault] : faults) server.SetFault(path, fault);
  if (!settingFile.empty()) {
    std::ofstream out(settingFile, std::ios::binary | std::ios::trunc);
    out << server.SettingJson(dlcUrls);
    if (!out) {
      std::fprintf(stderr, "launcher_publisher: cannot write %s\n", settingFile.c_str());
      return 1;
    }
  }
  std::printf("port %u\nbase %s\n", server.server().port(), server.BaseUrl().c_str());
  std::fflush(stdout);

  // Wait for the end, appending the requests logged meanwhile every 100 ms.
  uint64_t nextSeq = 0;
  auto flushLog = [&] {
    if (logFile.empty()) return;
    const auto requests = server.Requests();
    if (requests.empty() || requests.back().seq < nextSeq) return;
    std::ofstream out(logFile, std::ios::binary | std::ios::app);
    for (const auto& record : requests) {
      if (record.seq >= nextSeq && record.status != 0) {
        out << publisher::RequestJsonLine(record);
        nextSeq = record.seq + 1;
      } else if (record.seq >= nextSeq) {
        break;  // still being answered: written once it has its status
      }
    }
  };
  const timespec period{0, 100 * 1000 * 1000};
  while (sigtimedwait(&set, nullptr, &period) < 0) flushLog();
  server.Stop();
  flushLog();
  return 0;
}
