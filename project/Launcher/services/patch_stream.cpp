#include "project/Launcher/services/patch_stream.h"

#include <cstring>

bool PatchStream::Read(void* out, uint64_t n) {
  if (n > Remaining()) return false;
  if (n > 0) std::memcpy(out, data_ + position_, n);
  position_ += n;
  return true;
}
