// The balloon request another process (the game) sends to the main window
// as WM_COPYDATA with dwData 0: a fixed record of UTF-16 texts and the
// handle of a window to flash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/tray/tray_icon.h"

namespace platform {

class SoundPlayer;

struct BalloonRequest {
  std::u16string title;
  std::u16string text;
  std::u16string sound_path;  // empty: no sound
  NativeWindow flash_window = 0;
};

// The record's layout: UTF-16 fields of 64, 256 and 1024 characters, each
// terminated within its size, then an 8-byte window handle.
inline constexpr size_t kBalloonTitleChars = 64;
inline constexpr size_t kBalloonTextChars = 256;
inline constexpr size_t kBalloonSoundChars = 1024;
inline constexpr size_t kBalloonRecordBytes = 2696;

// Reads the record. Nothing for data shorter than the record or a text
// field without its terminator: such a request is refused whole, and no
// byte past `size` is read.
std::optional<BalloonRequest> ParseBalloonRequest(const void* data, size_t size);

// What the main window does with a balloon request: the balloon on the
// icon and, once it is shown, the attention state of the given window and
// the sound (without waiting for it). False when the request is refused or
// the balloon could not be shown; nothing else happens then.
bool DeliverBalloonRequest(TrayIcon& tray, SoundPlayer& sound, const void* data, size_t size);

}  // namespace platform
