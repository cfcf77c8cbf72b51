#include "project/Launcher/services/update_lists.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/file_operations.h"
#include "platform/files/folder_operations.h"
#include "platform/fonts/user_fonts.h"
#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/font_installer.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/relative_name.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUpdateFolder[] = "./update/";
constexpr char kProgramFolder[] = "./";

enum class ItemResult { kDone, kFailed, kDropped };

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

// Keeps the names that failed for the next run; deletes the list when none
// did.
void RewriteList(const char* list, const std::vector<std::string>& failed) {
  if (failed.empty()) {
    platform::RemoveFileIfPresent(list);
  } else {
    WriteJsonStringList(list, failed);
  }
}

ItemResult MoveCefFile(const std::string& name) {
  if (!IsSafeRelativeName(name)) return ItemResult::kDropped;
  const std::string relative = NormalizePath(name, false);
  const std::string source = kUpdateFolder + relative;
  if (!IsRegularFile(source)) return ItemResult::kDropped;
  const std::string destination = kProgramFolder + relative;
  std::string folder, file;
  if (SplitPath(destination, folder, file) && !platform::CreateFolders(folder)) return ItemResult::kFailed;
  if (!platform::CopyFileAtomically(source, destination)) return ItemResult::kFailed;
  platform::RemoveFileIfPresent(source);
  return ItemResult::kDone;
}

ItemResult InstallFontFile(const std::string& name) {
  if (!IsBareFileName(name)) return ItemResult::kDropped;
  const std::string source = kUpdateFolder + name;
  if (!IsRegularFile(source)) return ItemResult::kDropped;
  const std::string fontFolder = platform::UserFontFolder();
  if (!platform::CreateFolders(fontFolder)) return ItemResult::kFailed;
  if (!platform::CopyFileAtomically(source, fontFolder + "/" + name)) return ItemResult::kFailed;
  std::string md5;
  int64_t size = 0;
  std::ifstream written(fontFolder + "/" + name, std::ios::binary);
  if (FileMd5(written, md5, size)) RecordInstalledFont(name, md5);
  if (!platform::CopyFileAtomically(source, kProgramFolder + name)) return ItemResult::kFailed;
  platform::RemoveFileIfPresent(source);
  return ItemResult::kDone;
}

template <typename Apply>
void ApplyList(const char* list, Apply apply) {
  std::vector<std::string> names;
  if (!ReadJsonStringList(list, names)) return;
  std::vector<std::string> failed;
  for (const std::string& name : names) {
    if (apply(name) == ItemResult::kFailed) failed.push_back(name);
  }
  RewriteList(list, failed);
}

}  // namespace

void ApplyCefUpdate() { ApplyList(kCefUpdateList, MoveCefFile); }

void ApplyFontUpdate() { ApplyList(kFontUpdateList, InstallFontFile); }
