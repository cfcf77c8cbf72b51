#pragma once
// Page 1 of the settings window, the game resources: the game folder, a
// button that points the launcher at a folder already holding the game, and
// a repair that forgets the installed version and checks every file again.
// Unlike the general page, both act at once: a chosen folder is stored and
// saved, and a repair starts and closes the window.
//
// A repair or a game update while the game runs would replace files under
// the running game (nothing locks them on Linux), so both are refused while
// it runs. UI thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/window/window_api.h"
#include "project/Launcher/windows/setting_tab_page.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"

class LauncherStore;

namespace SettingComponents {

class TabPageResource : public TabPage {
 public:
  // Answers a folder choice on the UI thread: 1 and the folder, or 0.
  using FolderChosen = std::function<void(int32_t result, const std::u16string& folder)>;
  // Shows a folder picker modal to |owner| with |title|; the answer arrives
  // later, on the UI thread. The program installs the real picker.
  using FolderPicker =
      std::function<void(platform::HWND owner, const std::u16string& title, FolderChosen done)>;
  static void SetFolderPicker(FolderPicker picker);

  TabPageResource() = default;

  void Init(const std::u16string& page_name, SettingForm* owner) override;
  void ResetControls() override;
  void Refresh() override;

  void OnGameFolderChosen(int32_t result, const std::u16string& folder);

 private:
  bool OnFindGameClick(ui::EventArgs* event);
  bool OnRepairClick(ui::EventArgs* event);

  ui::Label* path_label_ = nullptr;
  ui::Button* find_button_ = nullptr;
  ui::Button* repair_button_ = nullptr;
};

// Shared by the pages that start a flow which replaces game files: true when
// the game runs, after bringing it to the front (then the settings window is
// cancelled and the launcher hides) or, when it has no window to show,
// after telling the user that the game runs.
bool RefuseWhileGameRuns(SettingForm* owner);

// The launcher's update state as the pages see it: a flow of the launcher
// itself, or a game check or update, is running.
bool IsUpdateFlowBusy(LauncherStore& store);

}  // namespace SettingComponents
