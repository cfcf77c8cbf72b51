// Keys and text of X key events in the form window messages carry them.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>

namespace platform::x11 {

// The virtual-key code of an unshifted key symbol; 0 when it has none.
uint32_t VirtualKeyFromKeysym(KeySym keysym);

// The character a key symbol types when no input method is available; 0 for
// none.
char32_t CodePointFromKeysym(KeySym keysym);

}  // namespace platform::x11
