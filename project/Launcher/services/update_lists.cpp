#include "project/Launcher/services/update_lists.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fonts/user_fonts.h"
#include "project/Launcher/services/file_utils.h"
#include "project/Launcher/services/folder_helpers.h"
#include "project/Launcher/services/font_installer.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/relative_name.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUpdateFolder[] = "./update/";
constexpr char kProgramFolder[] = "./";

enum class ItemResult { kDone, kFailed, kDropped };

// Copies |source| over |destination| through a temporary file beside the
// destination, so the destination is either the old file or the whole new
// one.
bool CopyFileAtomically(const std::string& source, const std::string& destination) {
  const std::string temporary = destination + ".tmp" + std::to_string(getpid());
  std::error_code ec;
  fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temporary, destination, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

// Keeps the names that failed for the next run; deletes the list when none
// did.
void RewriteList(const char* list, const std::vector<std::string>& failed) {
  if (failed.empty()) {
    std::error_code ignored;
    fs::remove(list, ignored);
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
  if (SplitPath(destination, folder, file) && !CreateFolders(folder)) return ItemResult::kFailed;
  if (!CopyFileAtomically(source, destination)) return ItemResult::kFailed;
  std::error_code ignored;
  fs::remove(source, ignored);
  return ItemResult::kDone;
}

ItemResult InstallFontFile(const std::string& name) {
  if (!IsBareFileName(name)) return ItemResult::kDropped;
  const std::string source = kUpdateFolder + name;
  if (!IsRegularFile(source)) return ItemResult::kDropped;
  const std::string fontFolder = platform::UserFontFolder();
  if (!CreateFolders(fontFolder)) return ItemResult::kFailed;
  if (!CopyFileAtomically(source, fontFolder + "/" + name)) return ItemResult::kFailed;
  std::string md5;
  int64_t size = 0;
  std::ifstream written(fontFolder + "/" + name, std::ios::binary);
  if (FileMd5(written, md5, size)) RecordInstalledFont(name, md5);
  if (!CopyFileAtomically(source, kProgramFolder + name)) return ItemResult::kFailed;
  std::error_code ignored;
  fs::remove(source, ignored);
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
