// patch_apply_tool streamed|memory OLD NEW PATCH
// Applies a BSDIFN40 patch with one of the two appliers and prints the
// result code and the wall time; patch_bench.sh measures its peak memory.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "project/Launcher/services/patch_applier.h"

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[1], "streamed") != 0 && std::strcmp(argv[1], "memory") != 0)) {
    std::fprintf(stderr, "usage: %s streamed|memory OLD NEW PATCH\n", argv[0]);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  int32_t result = 0;
  uint32_t detail = 0;
  if (std::strcmp(argv[1], "streamed") == 0) {
    result = PatchFileStreamed(argv[2], argv[3], argv[4], detail);
  } else {
    result = PatchFileInMemory(argv[2], argv[3], argv[4]);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "%s: result %d detail %u in %.3f s\n", argv[1], result, detail, seconds);
  return result == 0 ? 0 : 1;
}
