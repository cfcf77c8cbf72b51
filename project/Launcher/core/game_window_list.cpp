#include "project/Launcher/core/game_window_list.h"

#include <algorithm>

void GameWindowList::SetHooks(GameWindowHooks hooks) {
  std::lock_guard<std::mutex> hold(lock_);
  hooks_ = std::move(hooks);
}

GameWindowHooks GameWindowList::HooksCopy() const {
  std::lock_guard<std::mutex> hold(lock_);
  return hooks_;
}

bool GameWindowList::Exists(const GameWindowHooks& hooks, GameWindow window) const {
  return window != 0 && hooks.exists && hooks.exists(window);
}

void GameWindowList::Find() {
  GameWindowHooks hooks = HooksCopy();
  std::vector<GameWindow> found;
  if (hooks.findByProperty) found = hooks.findByProperty();
  std::lock_guard<std::mutex> hold(lock_);
  windows_ = std::move(found);
}

void GameWindowList::Register(GameWindow window) {
  GameWindowHooks hooks = HooksCopy();
  std::vector<GameWindow> current = Snapshot();
  std::vector<GameWindow> gone;
  for (GameWindow listed : current) {
    if (!Exists(hooks, listed)) gone.push_back(listed);
  }
  const bool add = Exists(hooks, window);
  std::lock_guard<std::mutex> hold(lock_);
  std::erase_if(windows_, [&gone](GameWindow w) {
    return std::find(gone.begin(), gone.end(), w) != gone.end();
  });
  if (add && std::find(windows_.begin(), windows_.end(), window) == windows_.end()) {
    windows_.push_back(window);
  }
}

std::vector<GameWindow> GameWindowList::ListOrFind() {
  std::vector<GameWindow> listed = Snapshot();
  if (listed.empty()) {
    Find();
    listed = Snapshot();
  }
  return listed;
}

int32_t GameWindowList::PostToAll(uint32_t message, uint64_t wParam, int64_t lParam) {
  GameWindowHooks hooks = HooksCopy();
  if (!hooks.post) return 0;
  std::vector<GameWindow> listed = ListOrFind();
  int32_t posted = 0;
  if (listed.empty()) {
    std::vector<GameWindow> engine = hooks.findByClass ? hooks.findByClass() : std::vector<GameWindow>();
    if (!engine.empty() && hooks.post(engine.front(), message, wParam, lParam)) ++posted;
    return posted;
  }
  // Dead windows stay listed until the next registration drops them.
  for (GameWindow window : listed) {
    if (Exists(hooks, window) && hooks.post(window, message, wParam, lParam)) ++posted;
  }
  return posted;
}

bool GameWindowList::ActivateFirst() {
  GameWindowHooks hooks = HooksCopy();
  if (!hooks.activate) return false;
  std::vector<GameWindow> listed = ListOrFind();
  GameWindow target = 0;
  if (!listed.empty()) {
    for (GameWindow window : listed) {
      if (Exists(hooks, window)) {
        target = window;
        break;
      }
    }
  } else if (hooks.findByClass) {
    std::vector<GameWindow> engine = hooks.findByClass();
    if (!engine.empty()) target = engine.front();
  }
  return target != 0 && hooks.activate(target);
}

std::vector<GameWindow> GameWindowList::Snapshot() const {
  std::lock_guard<std::mutex> hold(lock_);
  return windows_;
}
