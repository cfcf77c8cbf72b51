#pragma once
// What the main window's panels read and reach: the store, the window that
// owns their dialogs, and the worker's state as the UI thread may read it.

#include <cstdint>

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/download_manager.h"
#include "ui/box.h"
#include "ui/window.h"

namespace MainComponents {

struct PanelContext {
  LauncherStore* store = nullptr;
  ui::Window* window = nullptr;  // owner of the dialogs the panels open

  int32_t StateType() const { return store->UiView().stateType; }
  int32_t StateMode() const { return store->UiView().stateMode; }
  // Prepare, fetch the version map, compare, download files, apply: the
  // pre-download waits while one of them runs.
  bool BlockingStateRuns() const {
    const int32_t type = StateType();
    return type == 1 || type == 2 || type == 3 || type == 5 || type == 6;
  }
  bool DownloadsPaused() const { return DownloadManager::GetInstance().paused(); }
  int32_t LanguageType() const { return store->SettingsCopy().languageType; }
};

// The control named |name| inside |box| (depth first), or null: the pages
// repeat names ("progress", "text_title"), so each looks only at its own.
inline ui::Control* FindInBox(ui::Box* box, const std::u16string& name) {
  if (box == nullptr) return nullptr;
  for (int i = 0; i < box->GetCount(); ++i) {
    ui::Control* child = box->GetItemAt(static_cast<size_t>(i));
    if (child == nullptr) continue;
    if (child->GetName() == name) return child;
    if (ui::Control* found = FindInBox(dynamic_cast<ui::Box*>(child), name)) return found;
  }
  return nullptr;
}

// Gives |control| another class without letting the class resize it: the
// pause and continue looks of a button keep the size it has.
inline void SetClassKeepingSize(ui::Control* control, const char16_t* className) {
  const int width = control->GetFixedWidth();
  const int height = control->GetFixedHeight();
  control->SetClass(className);
  control->SetFixedWidth(width, true, false);
  control->SetFixedHeight(height, false);
}

}  // namespace MainComponents
