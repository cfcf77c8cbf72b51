#pragma once
// A UI thread with the launcher's own skin loaded (English table), the
// widgets registered, the process's store living in a temporary folder
// (settings saved there), its message boxes recorded instead of shown, and a
// stub folder first on PATH for the desktop's programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/disk/disk_space.h"
#include "platform/text/utf_conversion.h"
#include "project/Launcher/core/launcher_store.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/ui_thread.h"
#include "ui/controls/control_widgets.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"

#ifndef LAUNCHER_SKIN_ROOT
#error "LAUNCHER_SKIN_ROOT names the skin's resources folder"
#endif

namespace windows_test {

class SkinnedUiTest : public ::testing::Test {
 protected:
  SkinnedUiTest() : oldFolder_(std::filesystem::current_path()), path_("PATH", Bin() + ":/usr/bin:/bin") {
    std::filesystem::create_directories(Bin());
    std::filesystem::current_path(folder_.path());
    ui_ = std::make_unique<UiThread>();
    OnUi([] {
      ui::GlobalManager::Startup(platform::UTF8ToUTF16(LAUNCHER_SKIN_ROOT "/"), nullptr,
                                 u"themes/default/", u"en");
      ui::RegisterControlWidgets();
    });
    LauncherStore& store = LauncherStore::GetInstance();
    store.SetProgramLocation(platform::UTF8ToUTF16(folder_.path() + "/"),
                             platform::UTF8ToUTF16(folder_.path() + "/launcher.exe"));
    StoreHooks hooks;
    hooks.languageText = [](const std::string& key) {
      return ui::LanguageTable::GetInstance().GetText(platform::UTF8ToUTF16(key));
    };
    store.SetHooks(hooks);
    store.SetDialogHost(&dialogs_);
    std::filesystem::create_directories(folder_.path() + "/save");
  }
  ~SkinnedUiTest() override {
    OnUi([] { ui::GlobalManager::Shutdown(); });
    ui_.reset();
    LauncherStore& store = LauncherStore::GetInstance();
    store.SetHooks(StoreHooks());
    store.SetDialogHost(nullptr);
    store.openMessageBoxes = 0;
    store.messageBoxRequested = false;
    platform::SetDiskSpaceQueryForTesting(nullptr);
    std::filesystem::current_path(oldFolder_);
  }

  std::string Bin() const { return folder_.path() + "/bin"; }
  // The content keys of the message boxes opened so far.
  std::vector<std::string> Boxes() {
    return OnUi([this] { return dialogs_.contents; });
  }
  // Every disk reports |available| free bytes.
  static void FreeSpace(uint64_t available) {
    platform::SetDiskSpaceQueryForTesting([available](const std::string&, platform::DiskSpace* out) {
      out->total = available * 2;
      out->available = available;
      return true;
    });
  }

  TempFolder folder_;
  std::filesystem::path oldFolder_;
  ScopedEnv path_;
  std::unique_ptr<UiThread> ui_;
  // Records the boxes the store opens (UI thread) and never answers.
  class RecordingDialogs : public DialogHost {
   public:
    bool OpenMessageBox(WindowHandle, const MessageBoxContent& content, AnswerCallback) override {
      contents.push_back(platform::UTF16ToUTF8(content.content.text));
      return true;
    }
    bool OpenOptionsBox(WindowHandle, const OptionsBoxContent&, AnswerCallback) override {
      return false;
    }
    std::vector<std::string> contents;
  };
  RecordingDialogs dialogs_;
};

}  // namespace windows_test
