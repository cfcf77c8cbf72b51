// The launcher writes its own version map ("make_version") and the map of
// the "dependence" folder beside it ("make_dependence_version"): every file
// of a fixed set in the program's folder, by its path relative to that folder
// with "/" between folders, with its MD5 digest and size. Files that cannot
// be read are left out; nothing is reported.
#pragma once

#include <string>
#include <vector>

// "./launcher_version_map.txt" of launcher.exe, resources.zip, the four
// fonts and every file under "./cef"; "1.0.0" when |version| is empty.
void MakeVersionMap(const std::u16string& version);
// "./dependence_version_map.txt" of every file under "./dependence".
void MakeDependenceVersionMap(const std::u16string& version);

// The same work in |programFolder| instead of the working folder: the files
// |names| (relative to it) and every file under each of |folders| are hashed
// into the map written at |output| (relative to it). The "list" member is an
// object even when no file could be read. True when the map was written.
bool WriteFolderVersionMap(const std::string& programFolder, const std::vector<std::string>& names,
                           const std::vector<std::string>& folders, const std::string& version,
                           const std::string& output);
