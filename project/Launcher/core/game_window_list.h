#pragma once
// The game's windows as the launcher knows them: filled by a search of the
// desktop and by the game's registration message, read by the worker (which
// posts the answers to the game) and by the UI thread (registration,
// activation). The list is guarded by its own lock; the window layer is
// reached through hooks so the list works without a display.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

using GameWindow = uint64_t;  // a window of another process; 0 is none

struct GameWindowHooks {
  // Top-level windows whose game property holds their own id.
  std::function<std::vector<GameWindow>()> findByProperty;
  // Top-level windows of the game engine's class.
  std::function<std::vector<GameWindow>()> findByClass;
  std::function<bool(GameWindow)> exists;
  // Queues the message to the window; never waits for the game.
  std::function<bool(GameWindow, uint32_t message, uint64_t wParam, int64_t lParam)> post;
  std::function<bool(GameWindow)> activate;
};

class GameWindowList {
 public:
  void SetHooks(GameWindowHooks hooks);

  // Replaces the list with the windows found by their property.
  void Find();
  // The game's registration: windows that are gone are dropped, then
  // |window| is appended when it exists and is not listed yet.
  void Register(GameWindow window);
  // Posts the message to every listed window that exists (after a search
  // when the list is empty), or else to the first window of the engine's
  // class. The number of windows it was posted to.
  int32_t PostToAll(uint32_t message, uint64_t wParam, int64_t lParam);
  // Shows and focuses the first listed window that exists, or the first of
  // the engine's class when the list is empty (after a search). False when
  // there is none.
  bool ActivateFirst();

  std::vector<GameWindow> Snapshot() const;

 private:
  bool Exists(const GameWindowHooks& hooks, GameWindow window) const;
  // Copies the hooks under the lock; the window layer is never called with
  // the lock held.
  GameWindowHooks HooksCopy() const;
  std::vector<GameWindow> ListOrFind();

  mutable std::mutex lock_;
  GameWindowHooks hooks_;
  std::vector<GameWindow> windows_;
};
