#pragma once
// The skin package ("resources.zip") and the application icon (a PNG), built
// from skin/ and linked into the program as read-only data, so the launcher
// runs with no file beside it.

#include <cstddef>
#include <span>

namespace skin {

std::span<const std::byte> EmbeddedSkinPackage();
std::span<const std::byte> EmbeddedAppIcon();

}  // namespace skin
