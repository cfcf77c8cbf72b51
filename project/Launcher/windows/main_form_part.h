#pragma once
// A part of the main window that another piece of the launcher brings: the
// install and pre-download panels with the main button, the web views and
// links, the tray menu, the carousel and the news. The main window binds its
// own controls, then hands each part it was given the window (Attach) and
// passes on every launcher message the part may care about, in the order the
// parts were added. Every operation has a default that does nothing, so a
// part overrides only what it drives. UI thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/message/message_types.h"

namespace ui {
class Control;
struct EventArgs;
}  // namespace ui

class MainForm;

class MainFormPart {
 public:
  // An answer to one of the game's questions: wParam and lParam.
  using GameAnswer = std::pair<uint64_t, int64_t>;

  virtual ~MainFormPart() = default;

  // A control for a layout tag the widget factory does not know (the web
  // view's "CefControl"); null leaves the tag to the next part. Asked while
  // the window builds its tree, before Attach.
  virtual ui::Control* CreateControl(const std::u16string& /*tag*/) { return nullptr; }

  // The window's controls are bound and the window is about to register
  // with the store (its InitWindow). The part finds its controls through
  // form.FindControl and keeps the window as long as it lives.
  virtual void Attach(MainForm& /*form*/) {}

  // kMsgRefreshState, after the titles: the main button and open settings
  // pages are brought up to date.
  virtual void OnRefreshState() {}
  // kMsgGameVersionChanged.
  virtual void OnGameVersionChanged() {}
  // kMsgConfigReloaded, after the titles (carousel, news, web view, main
  // button, pre-download page, links).
  virtual void OnConfigReloaded() {}
  // kMsgRefreshPages (carousel, news, web view).
  virtual void OnRefreshPages() {}
  // kMsgCheckProgress: lParam the percentage.
  virtual void OnCheckProgress(platform::WPARAM /*wParam*/, platform::LPARAM /*percent*/) {}
  // kMsgDownloadSpeed: remaining seconds, bytes per second.
  virtual void OnDownloadSpeed(platform::WPARAM /*remainingSeconds*/, platform::LPARAM /*bytesPerSecond*/) {}
  // kMsgDownloadProgress: total and downloaded bytes.
  virtual void OnDownloadProgress(platform::WPARAM /*total*/, platform::LPARAM /*downloaded*/) {}
  // kMsgDownloadPaused: lParam 1 paused, 0 running.
  virtual void OnDownloadPaused(platform::LPARAM /*paused*/) {}
  // kMsgPreDownloadStatus: page index (or another number for no change) and
  // the page's status.
  virtual void OnPreDownloadStatus(platform::WPARAM /*index*/, platform::LPARAM /*value*/) {}
  // kMsgUiTick, every 500 ms.
  virtual void OnUiTick() {}

  // The game's pre-download questions (kMsgGamePreDownloadAction,
  // kMsgGamePreDownloadProgress, kMsgGamePreDownloadState): the answer the
  // window sends back, or nothing when this part has none. The first part
  // that answers wins; without any the answer is (0, 0).
  virtual std::optional<GameAnswer> AnswerGame(uint32_t /*question*/) { return std::nullopt; }

  // A click anywhere in the window (bubbled to the root): true when the part
  // took it.
  virtual bool OnClick(ui::EventArgs& /*event*/) { return false; }
  // The tray icon was right-clicked at the screen point: the part shows the
  // tray's pop-up menu and answers true.
  virtual bool OnTrayMenu(int /*x*/, int /*y*/) { return false; }

  // The window closes (WM_CLOSE, before the window leaves the store): the
  // part resets and removes what it put into the window.
  virtual void Detach() {}
  // The launcher ends once every part answers true here (its child
  // processes, such as the browser's, are gone) or a bounded wait has
  // passed; asked again every 100 ms after the window closed.
  virtual bool ReadyToQuit() { return true; }
};
