#include "project/Launcher/core/foreign_game_windows.h"

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/game_launch.h"

GameWindowHooks MakeForeignGameWindowHooks() {
  std::shared_ptr<platform::ForeignWindows> windows = platform::ForeignWindows::Open();
  GameWindowHooks hooks;
  if (!windows) return hooks;
  hooks.findByProperty = [windows] {
    auto found = windows->FindBySelfProperty(kGameWindowProperty);
    return std::vector<GameWindow>(found.begin(), found.end());
  };
  hooks.findByClass = [windows] {
    auto found = windows->FindByClass(kUnityWindowClass);
    return std::vector<GameWindow>(found.begin(), found.end());
  };
  hooks.exists = [windows](GameWindow window) { return windows->Exists(window); };
  hooks.post = [windows](GameWindow window, uint32_t message, uint64_t wParam, int64_t lParam) {
    return windows->PostMessage(window, message, wParam, lParam);
  };
  hooks.activate = [windows](GameWindow window) { return windows->Activate(window); };
  return hooks;
}
