#pragma once
// The version test the UI framework makes before it uses behaviour that
// Windows gained in a later release. Everything that test guards (DPI
// awareness, layered fades, the later fallback face) is available here, so
// the answer is always yes.

namespace platform {

// Whether the system is at least version 6.minor (0 Vista, 2 Windows 8).
inline bool IsWindowsVersionAtLeast(int /*minor*/) { return true; }

}  // namespace platform
