#pragma once
// The game's windows on the display, for the store's game-window list: found
// by their property or by the engine's class, told apart from windows that
// are gone, messages posted (never sent: a hung game cannot block the
// worker), and activated.

#include <memory>

#include "project/Launcher/core/game_window_list.h"

namespace platform {
class ForeignWindows;
}

// Hooks over a connection of their own to the display; empty hooks (nothing
// is ever found) when the display cannot be opened. Safe on any thread.
GameWindowHooks MakeForeignGameWindowHooks();
