#pragma once
// The apply list, "apply_list.txt" in the update folder: which downloaded
// files of an update have already been moved into the game folder, so an
// interrupted update resumes where it stopped.

#include <string>
#include <vector>

struct ApplyList {
  std::string version;                 // the remote game version of the files
  std::vector<std::string> fileList;   // relative paths already moved into place

  bool operator==(const ApplyList&) const = default;
};

// False when the file cannot be read or parsed or "version" is not a string
// (nothing taken), or when "fileList" is not an array (the version taken).
// Otherwise the list is replaced by the elements that are text (strings,
// numbers and booleans as their text); true.
bool ReadApplyList(const std::string& path, ApplyList* list);

// Writes {"version", "fileList"} in the common JSON style (WriteJsonFile),
// replacing the file through a temporary file, only when the version is not empty and the list
// has an entry; otherwise the old file stays untouched. True when written.
bool WriteApplyList(const std::string& path, const ApplyList& list);
