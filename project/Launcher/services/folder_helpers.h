// Working folders, path normalisation and splitting, folder listing and
// whole-file reading and writing shared by the launcher core and the
// transfer services. Folder names are relative to the working folder, which
// the program sets to its own folder at start. Paths use "/"; a "\\" that
// arrives from a map or the gate is turned into "/" by NormalizePath.
#pragma once

#include <cstdint>
#include <istream>
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

// Appends the path of every file under `folder` to `list`, at every depth,
// skipping folders whose name is in `excluded`; a symbolic link to a folder is
// neither followed nor listed. Returns the size of `list` afterwards, or -1
// when `folder` cannot be listed.
int32_t ListFilesRecursive(const std::string& folder, std::vector<std::string>& list,
                           const std::vector<std::string>& excluded);

// The names of the folders directly inside `folder`; -1 when it cannot be
// listed, else their count.
int32_t ListSubfolders(const std::string& folder, std::vector<std::string>& list);

// Everything from the stream's position to its end; false on a read error.
bool ReadStreamToString(std::istream& stream, std::string& out);
// The file's whole content; false, with `out` unchanged, when it cannot be
// read.
bool ReadFileToString(const std::string& path, std::string& out);
bool ReadFileToStringW(const std::u16string& path, std::string& out);

// Replaces the file's content with `bytes`: written to a temporary file in
// the same folder and renamed over the old one, so a failure never leaves a
// half-written file. True when the new content is in place.
bool WriteStringToFile(const std::string& path, const std::string& bytes);
