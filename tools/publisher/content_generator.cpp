#include "tools/publisher/content_generator.h"

#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include <json/json.h>

#include "tools/patch_writer/bsdiff_writer.h"

namespace publisher {

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;  // relative path -> bytes

// Files patched between two versions when they differ.
const char* const kPatchedGameFiles[] = {"KVOR.exe", "Data/level0.assets"};
const char* const kPatchedLauncherFiles[] = {"launcher.exe"};

// |base| with |count| bytes at |at| replaced by a pattern of |seed|.
std::string WithRegion(std::string base, size_t at, size_t count, uint32_t seed) {
  const std::string region = PatternBytes(count, seed);
  base.replace(at, count, region);
  return base;
}

// The stand-in for the game's program: a text that says what it is and which
// version it belongs to, over a body shared by every version so a patch is
// small. A later stand-in game program takes its place.
std::string StandInGameProgram(const std::string& version, uint32_t index) {
#ifdef STAND_IN_GAME_PATH
  // The stand-in game program itself, with a trailer naming the version: the
  // program runs the same, and the versions differ in a small region.
  {
    std::ifstream program(STAND_IN_GAME_PATH, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(program)), std::istreambuf_iterator<char>());
    if (!bytes.empty()) {
      return bytes + "\n#KVOR version=" + version + "\n" +
             WithRegion(PatternBytes(6000, 7), 1000 + 60 * index, 40, 100 + index);
    }
  }
#endif
  std::string text = "#!KVOR stand-in\nversion=" + version + "\n";
  return text + WithRegion(PatternBytes(6000, 7), 1000 + 60 * index, 40, 100 + index);
}

Tree GameTree(const std::string& version, uint32_t index) {
  Tree tree;
  tree["KVOR.exe"] = StandInGameProgram(version, index);
  tree["Data/level0.assets"] = WithRegion(PatternBytes(48 * 1024, 11), 8000 * index, 2000, 20 + index);
  tree["Data/shared.assets"] = PatternBytes(20000, 13);
  if (index == 1) tree["Data/intro.txt"] = "Welcome to " + version + "\n";
  if (index >= 2) tree["Data/dlc_2.assets"] = PatternBytes(12000, 30 + index);
  tree["Data/empty.cfg"] = std::string();
  const std::string twin = PatternBytes(3000, 40 + index);
  tree["Data/twin_a.bytes"] = twin;
  tree["Data/twin_b.bytes"] = twin;
  tree["Data/StreamingAssets/config.json"] = "{\"build\": \"" + version + "\"}\n";
  return tree;
}

Tree LauncherTree(const std::string& version, uint32_t index) {
  Tree tree;
  tree["launcher.exe"] = WithRegion(PatternBytes(5000, 51), 2000, 64, 52 + index) +
                         "launcher " + version + "\n";
  tree["resources.zip"] = PatternBytes(4000, 60 + index);
  tree["cef/jov_libcef.dll"] = PatternBytes(7000, 70 + index);
  tree["cef/locales/en-US.pak"] = PatternBytes(900, 81);
  if (index >= 2) tree["LomaN.ttf"] = PatternBytes(2500, 91);
  return tree;
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string* error) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

Json::Value EntryJson(const FileRecord& record) {
  Json::Value entry(Json::objectValue);
  entry["md5"] = record.md5;
  entry["size"] = static_cast<Json::Int64>(record.size);
  return entry;
}

std::string JsonText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "\t";
  return Json::writeString(builder, value) + "\n";
}

// {"version": "<v>", "list": {...}}
std::string ListFormMap(const std::string& version, const FileSet& files) {
  Json::Value root(Json::objectValue);
  root["version"] = version;
  Json::Value& list = root["list"] = Json::Value(Json::objectValue);
  for (const auto& [name, record] : files) list[name] = EntryJson(record);
  return JsonText(root);
}

// {"version": {"md5": "<v>"}, "<name>": {...}, ...}: the form without "list".
std::string FlatFormMap(const std::string& version, const FileSet& files) {
  Json::Value root(Json::objectValue);
  Json::Value tag(Json::objectValue);
  tag["md5"] = version;
  root["version"] = tag;
  for (const auto& [name, record] : files) root[name] = EntryJson(record);
  return JsonText(root);
}

FileSet Digests(const Tree& tree) {
  FileSet set;
  for (const auto& [name, bytes] : tree) set[name] = {Md5Hex(bytes), static_cast<int64_t>(bytes.size())};
  return set;
}

bool WriteTree(const std::string& folder, const Tree& tree, std::string* error) {
  for (const auto& [name, bytes] : tree)
    if (!WriteFile(folder + name, bytes, error)) return false;
  return true;
}

// The patch that turns |oldData| into |newData|: the common length as a diff
// run, the rest of the new file as extra bytes.
std::string MakePatch(const std::string& oldData, const std::string& newData) {
  const int64_t common = static_cast<int64_t>(std::min(oldData.size(), newData.size()));
  const int64_t rest = static_cast<int64_t>(newData.size()) - common;
  return PackPatch(MakeUnpackedPatch(oldData, newData, {{common, rest, 0}}), 9);
}

// Writes the patches of the listed files that changed from |from| to |to|
// (both extensions) and their patch list; returns the list.
bool WritePatches(const std::string& folder, const std::string& fromVersion, const Tree& from,
                  const Tree& to, const char* const* names, size_t count, FileSet* list,
                  std::string* error) {
  for (size_t i = 0; i < count; ++i) {
    const std::string name = names[i];
    auto oldFile = from.find(name);
    auto newFile = to.find(name);
    if (oldFile == from.end() || newFile == to.end() || oldFile->second == newFile->second) continue;
    const std::string patch = MakePatch(oldFile->second, newFile->second);
    if (!WriteFile(folder + name + ".patch", patch, error) ||
        !WriteFile(folder + name + ".ovdiff", patch, error))
      return false;
    (*list)[name] = {Md5Hex(patch), static_cast<int64_t>(patch.size())};
  }
  return WriteFile(folder + "patch_list.txt", ListFormMap(fromVersion, *list), error);
}

}  // namespace

std::string GeneratedContent::GameFolder(const std::string& version) const {
  return root + "game/" + version + "/";
}
std::string GeneratedContent::LauncherFolder(const std::string& version) const {
  return root + "launcher/" + version + "/";
}
std::string GeneratedContent::GamePatchFolder(const std::string& fromVersion) const {
  return root + "game-patchs/" + fromVersion + "/";
}
std::string GeneratedContent::LauncherPatchFolder(const std::string& fromVersion) const {
  return root + "launcher-patchs/" + LauncherPatchFolderName(fromVersion) + "/";
}

std::string LauncherPatchFolderName(const std::string& version) {
  std::string name = version;
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

bool GenerateContent(const std::string& rootFolder, GeneratedContent* out, std::string* error,
                     const std::string& launcherProgram) {
  GeneratedContent content;
  content.root = rootFolder;
  if (content.root.empty() || content.root.back() != '/') content.root += '/';
  content.gameVersions = {kGameVersion1, kGameVersion2, kGameVersion3};
  content.launcherVersions = {kLauncherVersionOld, kLauncherVersionNew};

  std::vector<Tree> games;
  for (size_t i = 0; i < content.gameVersions.size(); ++i) {
    const std::string& version = content.gameVersions[i];
    games.push_back(GameTree(version, static_cast<uint32_t>(i + 1)));
    const FileSet files = Digests(games.back());
    content.gameFiles[version] = files;
    const std::string folder = content.GameFolder(version);
    if (!WriteTree(folder, games.back(), error)) return false;
    // The pre-download version's map uses the form without "list".
    const std::string map = i + 1 < content.gameVersions.size() ? ListFormMap(version, files)
                                                                 : FlatFormMap(version, files);
    if (!WriteFile(folder + "version_map.txt", map, error)) return false;
    if (i > 0) {
      const std::string& from = content.gameVersions[i - 1];
      content.nextVersion[from] = version;
      FileSet& list = content.patchLists["game:" + from];
      if (!WritePatches(content.GamePatchFolder(from), from, games[i - 1], games[i],
                        kPatchedGameFiles, std::size(kPatchedGameFiles), &list, error))
        return false;
    }
  }

  std::vector<Tree> launchers;
  for (size_t i = 0; i < content.launcherVersions.size(); ++i) {
    const std::string& version = content.launcherVersions[i];
    launchers.push_back(LauncherTree(version, static_cast<uint32_t>(i + 1)));
    if (!launcherProgram.empty()) launchers.back()["launcher.exe"] = launcherProgram;
    const FileSet files = Digests(launchers.back());
    content.launcherFiles[version] = files;
    const std::string folder = content.LauncherFolder(version);
    if (!WriteTree(folder, launchers.back(), error) ||
        !WriteFile(folder + "launcher_version_map.txt", FlatFormMap(version, files), error))
      return false;
    if (i > 0) {
      const std::string& from = content.launcherVersions[i - 1];
      content.nextVersion[from] = version;
      FileSet& list = content.patchLists["launcher:" + from];
      if (!WritePatches(content.LauncherPatchFolder(from), from, launchers[i - 1], launchers[i],
                        kPatchedLauncherFiles, std::size(kPatchedLauncherFiles), &list, error))
        return false;
    }
  }
  if (out) *out = std::move(content);
  return true;
}

bool InstallTree(const std::string& sourceFolder, const std::string& target, std::string* error) {
  std::error_code ec;
  fs::create_directories(target, ec);
  fs::copy(sourceFolder, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
           ec);
  if (ec) {
    *error = "cannot copy " + sourceFolder + " to " + target + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace publisher
