#pragma once
// A launcher store that lives in a temporary folder: the working folder (and
// so "save" and "update") is the folder itself, the program sits in "prog/",
// and the autostart entry goes under "config/".

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "base/util/string_util.h"
#include "platform/disk/disk_space.h"
#include "project/Launcher/core/launcher_store.h"
#include "tests/support/temp_folder.h"

class ScopedStoreFolder {
 public:
  explicit ScopedStoreFolder(const char* locale = "C") : oldFolder_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder.path());
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", locale, 1);
    ::setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    std::filesystem::create_directories(folder.File("prog"));
    store.SetProgramLocation(U16(folder.File("prog/")), U16(ProgramPath()));
  }
  ~ScopedStoreFolder() {
    std::filesystem::current_path(oldFolder_);
    platform::SetDiskSpaceQueryForTesting(nullptr);
  }

  static std::u16string U16(const std::string& text) { return kbase::UTF8ToUTF16(text); }
  std::string ProgramPath() const { return folder.File("prog/launcher.exe"); }

  TempFolder folder;
  LauncherStore store;

 private:
  std::filesystem::path oldFolder_;
};
