// Folder operations in place of the system's CreateDirectory,
// RemoveDirectory and FindFirstFile: creating a folder with its parents,
// deleting a tree, and listing files and sub-folders. A symbolic link to a
// folder is never followed. Paths are UTF-8, or UTF-16 where an overload
// takes a std::u16string; "/" and "\\" both separate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Creates every folder along the path; true when the folder exists at the end.
bool CreateFolders(const std::string& path);
bool CreateFolders(const std::u16string& path);

// Deletes the folder and everything in it; a symbolic link inside is removed,
// not followed. Whatever cannot be deleted stays, with the folders above it.
void DeleteFolderRecursive(const std::string& path);
void DeleteFolderRecursive(const std::u16string& path);

// Whether the path names an existing folder (a relative path is taken from
// the current folder).
bool IsFolder(const std::string& path);
bool IsFolder(const std::u16string& path);

// Appends the path of every file under `folder` to `list`, at every depth,
// skipping folders whose name is in `excluded`; a symbolic link to a folder is
// neither followed nor listed. Returns the size of `list` afterwards, or -1
// when `folder` cannot be listed.
int32_t ListFilesRecursive(const std::string& folder, std::vector<std::string>& list,
                           const std::vector<std::string>& excluded);

// The names of the folders directly inside `folder`; -1 when it cannot be
// listed, else their count.
int32_t ListSubfolders(const std::string& folder, std::vector<std::string>& list);

}  // namespace platform
