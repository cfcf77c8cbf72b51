// The launcher's fixed folders and the text of its paths: normalising and
// splitting paths, splitting text at a separator, and the drive (file system)
// a path lies on. Folder names are relative to the working folder, which the
// program sets to its own folder at start. Paths use "/"; a "\\" that arrives
// from a map or the gate is turned into "/" by NormalizePath. The file and
// folder operations themselves live in platform/files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The fixed folders, built once; nothing is created on disk.
const std::string& SaveFolder();            // "./save"
const std::u16string& SaveFolderW();        // "./save"
const std::u16string& UpdateFolderW();      // "./update"
const std::u16string& ExceptionFolderW();   // "./exception"
const std::string& PreDownloadFolder();     // "./update/predownload"
// The install folder proposed on first run: the program's folder (with its
// trailing separator) followed by "Valdrenth Game".
const std::u16string& DefaultGameFolderW();

// Every "\\" becomes "/". With `trailingSeparator` the result ends with
// exactly one added "/" when it had none (an empty path becomes "/"); without
// it, separators at the end are removed.
std::string NormalizePath(const std::string& path, bool trailingSeparator);
std::u16string NormalizePathW(const std::u16string& path, bool trailingSeparator);

// Splits at the last separator ("/" or "\\"): folder before it, name after
// it. False, with the outputs untouched, for an empty path, a bare name or a
// path whose only separator is its first character.
bool SplitPath(const std::string& path, std::string& folder, std::string& name);
bool SplitPathW(const std::u16string& path, std::u16string& folder, std::u16string& name);

// Splits text at every occurrence of the separator. Empty pieces between
// separators are kept; a separator at the very end adds no empty piece.
// Empty text or separator: 0 pieces.
size_t SplitAtSeparator(const std::string& text, const std::string& separator,
                        std::vector<std::string>& list);
size_t SplitAtSeparatorW(const std::u16string& text, const std::u16string& separator,
                         std::vector<std::u16string>& list);

// Total bytes of the file system that holds the path and the bytes the user
// may still write there; the path need not exist yet. False, with the
// outputs untouched, when nothing can be learned.
bool GetDriveSpace(const std::string& path, uint64_t& total, uint64_t& available);
bool GetDriveSpaceW(const std::u16string& path, uint64_t& total, uint64_t& available);

// The "drive" of a path: the mount point of the file system that holds it.
// Two paths on the same file system give the same text; empty when nothing
// of the path exists.
std::u16string GetPathDriveW(const std::u16string& path);
