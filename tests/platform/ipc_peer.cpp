// A second process for the X11 tests: finds a window of the test process by a
// property or a class and talks to it.
//   ipc_peer post <property> <message> <wparam> <lparam> [<message> <wparam> <lparam> ...]
//   ipc_peer post-class <class> <message> <wparam> <lparam> [...]
// (several messages are posted in their order)
//   ipc_peer copydata <property> <dwData> <text> [<claimed size>]
// Exit status: 0 done (for copydata: delivered, the result printed), 2 no
// window found, 3 the data was refused or not answered, 4 the post failed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ipc/foreign_windows.h"

int main(int argc, char** argv) {
  if (argc < 3) return 64;
  auto windows = platform::ForeignWindows::Open();
  if (!windows) return 65;
  const std::string command = argv[1];
  const std::string key = argv[2];
  const auto found = command == "post-class" ? windows->FindByClass(key) : windows->FindBySelfProperty(key);
  if (found.empty()) return 2;
  if ((command == "post" || command == "post-class") && argc >= 6 && (argc - 3) % 3 == 0) {
    for (int i = 3; i < argc; i += 3) {
      const auto message = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 0));
      const auto wparam = static_cast<platform::WPARAM>(std::strtoull(argv[i + 1], nullptr, 0));
      const auto lparam = static_cast<platform::LPARAM>(std::strtoll(argv[i + 2], nullptr, 0));
      if (!windows->PostMessage(found.front(), message, wparam, lparam)) return 4;
    }
    return 0;
  }
  if (command == "copydata" && (argc == 5 || argc == 6)) {
    const uint64_t kind = std::strtoull(argv[3], nullptr, 0);
    const std::string text = argv[4];
    const auto size = static_cast<uint32_t>(text.size());
    const uint32_t claimed = argc == 6 ? static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 0)) : size;
    const auto result = windows->SendCopyDataClaiming(found.front(), kind, text.data(), size, claimed, 10000);
    if (!result) return 3;
    std::printf("%lld\n", static_cast<long long>(*result));
    return 0;
  }
  return 64;
}
