#include "project/Launcher/services/version_map_maker.h"

#include <json/json.h>

#include <cstdint>
#include <fstream>

#include "base/util/string_util.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"

namespace {

constexpr char kDefaultVersion[] = "1.0.0";

// Adds the file's digest and size under |name|; a file that cannot be opened
// or read through is left out.
void AddFile(const std::string& path, const std::string& name, Json::Value& list) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return;
  std::string md5;
  int64_t size = 0;
  if (!FileMd5(file, md5, size)) return;
  Json::Value entry(Json::objectValue);
  entry["md5"] = md5;
  entry["size"] = static_cast<Json::Int64>(size);
  list[name] = entry;
}

}  // namespace

bool WriteFolderVersionMap(const std::string& programFolder, const std::vector<std::string>& names,
                           const std::vector<std::string>& folders, const std::string& version,
                           const std::string& output) {
  const std::string base = NormalizePath(programFolder, true);
  // An object from the start: a folder with no readable file gives "{}", not
  // null, so a reader of the map never meets a list of the wrong type.
  Json::Value list(Json::objectValue);
  for (const std::string& name : names) AddFile(base + name, NormalizePath(name, false), list);
  for (const std::string& folder : folders) {
    std::vector<std::string> paths;
    if (platform::ListFilesRecursive(base + folder, paths, {}) <= 0) continue;
    for (const std::string& path : paths) AddFile(path, path.substr(base.size()), list);
  }
  Json::Value root(Json::objectValue);
  root["list"] = list;
  root["version"] = version.empty() ? std::string(kDefaultVersion) : version;
  return WriteJsonFile(base + output, root);
}

void MakeVersionMap(const std::u16string& version) {
  WriteFolderVersionMap(".",
                        {"launcher.exe", "resources.zip", "SourceHanSansCNRegular.ttf",
                         "SourceHanSansCNBold.ttf", "LomaN.ttf", "LomaB.ttf"},
                        {"cef"}, kbase::UTF16ToUTF8(version), "launcher_version_map.txt");
}

void MakeDependenceVersionMap(const std::u16string& version) {
  WriteFolderVersionMap(".", {}, {"dependence"}, kbase::UTF16ToUTF8(version),
                        "dependence_version_map.txt");
}
