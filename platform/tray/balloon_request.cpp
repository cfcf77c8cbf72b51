#include "platform/tray/balloon_request.h"

#include <cstring>

#include "platform/text/utf_conversion.h"
#include "platform/tray/sound_player.h"

namespace platform {

namespace {

constexpr size_t kTitleOffset = 0;
constexpr size_t kTextOffset = kTitleOffset + kBalloonTitleChars * 2;
constexpr size_t kSoundOffset = kTextOffset + kBalloonTextChars * 2;
constexpr size_t kWindowOffset = kSoundOffset + kBalloonSoundChars * 2;
static_assert(kWindowOffset + 8 == kBalloonRecordBytes);

// The text up to its terminator; nothing when the field has none.
std::optional<std::u16string> ReadTerminatedField(const unsigned char* bytes, size_t chars) {
  std::u16string text;
  for (size_t i = 0; i < chars; ++i) {
    char16_t c;
    std::memcpy(&c, bytes + i * 2, sizeof c);
    if (c == u'\0') return text;
    text.push_back(c);
  }
  return std::nullopt;
}

}  // namespace

std::optional<BalloonRequest> ParseBalloonRequest(const void* data, size_t size) {
  if (!data || size < kBalloonRecordBytes) return std::nullopt;
  const auto* bytes = static_cast<const unsigned char*>(data);
  auto title = ReadTerminatedField(bytes + kTitleOffset, kBalloonTitleChars);
  auto text = ReadTerminatedField(bytes + kTextOffset, kBalloonTextChars);
  auto sound = ReadTerminatedField(bytes + kSoundOffset, kBalloonSoundChars);
  if (!title || !text || !sound) return std::nullopt;
  BalloonRequest request;
  request.title = std::move(*title);
  request.text = std::move(*text);
  request.sound_path = std::move(*sound);
  std::memcpy(&request.flash_window, bytes + kWindowOffset, sizeof request.flash_window);
  return request;
}

bool DeliverBalloonRequest(TrayIcon& tray, SoundPlayer& sound, const void* data, size_t size) {
  const std::optional<BalloonRequest> request = ParseBalloonRequest(data, size);
  if (!request) return false;
  if (!tray.ShowBalloon(request->title, request->text)) return false;
  if (request->flash_window != 0) tray.SetAttention(request->flash_window, true);
  if (!request->sound_path.empty()) sound.Play(UTF16ToUTF8(request->sound_path));
  return true;
}

}  // namespace platform
