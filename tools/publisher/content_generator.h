// The local publisher's content: a small game in three versions and the
// launcher's own files in two, with their version maps, patch lists and
// "BSDIFN40" patches, written to a folder the publisher serves.
//
// Layout under the root:
//   game/<version>/              the whole tree of a game version, with its
//                                "version_map.txt" (an installed game folder)
//   game-patchs/<from>/          "patch_list.txt" and the patches from <from>
//                                to the next version, each under both
//                                ".patch" and ".ovdiff"
//   launcher/<version>/          the launcher's files and its
//                                "launcher_version_map.txt"
//   launcher-patchs/<from_>/     the launcher's patch list and patches
//
// Between the game versions: "KVOR.exe" (a stand-in program text) changes
// and is patched, "Data/level0.assets" is patched, "Data/shared.assets" stays,
// "Data/intro.txt" is removed after the first version, "Data/dlc_2.assets"
// is new in the second, "Data/empty.cfg" is empty, and "Data/twin_a.bytes"
// and "Data/twin_b.bytes" are identical to each other.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace publisher {

inline constexpr char kGameVersion1[] = "10077_0_1";
inline constexpr char kGameVersion2[] = "10077_0_2";
inline constexpr char kGameVersion3[] = "10077_0_3";  // the pre-download
inline constexpr char kLauncherVersionOld[] = "1.0.0";
inline constexpr char kLauncherVersionNew[] = "1.0.1";

struct FileRecord {
  std::string md5;   // 32 lower-case hexadecimal digits
  int64_t size = 0;

  bool operator==(const FileRecord&) const = default;
};

// Relative path ("/" separators) -> digest and size.
using FileSet = std::map<std::string, FileRecord>;

struct GeneratedContent {
  std::string root;  // with a trailing "/"
  std::vector<std::string> gameVersions;      // oldest first
  std::vector<std::string> launcherVersions;  // oldest first
  std::map<std::string, FileSet> gameFiles;      // version -> its files
  std::map<std::string, FileSet> launcherFiles;  // version -> its files
  // Version the patches start from -> patched file -> the patch's digest and
  // size ("game:<version>" or "launcher:<version>").
  std::map<std::string, FileSet> patchLists;
  // Version -> the version that follows it.
  std::map<std::string, std::string> nextVersion;

  // The folder of a game or launcher version, of a patch folder.
  std::string GameFolder(const std::string& version) const;
  std::string LauncherFolder(const std::string& version) const;
  std::string GamePatchFolder(const std::string& fromVersion) const;
  std::string LauncherPatchFolder(const std::string& fromVersion) const;
};

// The launcher version as the patch folder names it ("1.0.0" -> "1_0_0").
std::string LauncherPatchFolderName(const std::string& version);

// Writes the whole content under |root| (created when missing; existing
// files are replaced). False, with a reason in |error|, on any failure.
// |launcherProgram|, when not empty, is carried as "launcher.exe" by every
// launcher version instead of the generated stand-in, so that a real
// launcher program started against the publisher finds itself current.
bool GenerateContent(const std::string& root, GeneratedContent* out, std::string* error,
                     const std::string& launcherProgram = {});

// The files of the program folder of an installed launcher and of a game
// folder: copies a generated tree into |target| (created when missing).
bool InstallTree(const std::string& sourceFolder, const std::string& target, std::string* error);

// MD5 of bytes, 32 lower-case hexadecimal digits (OpenSSL's digest: the
// reference the launcher's own MD5 is compared with).
std::string Md5Hex(const std::string& bytes);

}  // namespace publisher
