#include "skin/embedded_resources.h"

// Bounds of the data blocks, defined by the generated assembly beside this
// file.
extern "C" {
extern const unsigned char launcher_skin_package_begin[];
extern const unsigned char launcher_skin_package_end[];
extern const unsigned char launcher_app_icon_begin[];
extern const unsigned char launcher_app_icon_end[];
}

namespace skin {
namespace {

std::span<const std::byte> Block(const unsigned char* begin, const unsigned char* end) {
  return {reinterpret_cast<const std::byte*>(begin), static_cast<size_t>(end - begin)};
}

}  // namespace

std::span<const std::byte> EmbeddedSkinPackage() {
  return Block(launcher_skin_package_begin, launcher_skin_package_end);
}

std::span<const std::byte> EmbeddedAppIcon() {
  return Block(launcher_app_icon_begin, launcher_app_icon_end);
}

}  // namespace skin
