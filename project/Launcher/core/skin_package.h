#pragma once
// The skin package the UI framework reads: a "resources.zip" beside the
// program (delivered by a launcher update) wins over the package linked into
// the program. The file is never opened in place: it is copied to
// "update/tmp_resources.zip" and the copy is opened, so an update may replace
// the original while the launcher runs.

#include <cstddef>
#include <string>

// The package linked into the program (set once at start-up; the bytes must
// live for the whole process). Without one, a missing "resources.zip" leaves
// the framework without a skin archive.
void SetEmbeddedSkinPackage(const void* data, size_t size);

// UI thread: opens "resources.zip" of the working folder through its copy,
// or the embedded package when there is no such file or it cannot be copied.
// True when the package that was opened came from "resources.zip".
bool PrepareSkinPackage();

// Reads a file of the skin's theme folder ("resources/themes/default/"): the
// member of the open skin package, else the file in that folder on disk.
bool ReadSkinThemeFile(const std::string& name, std::string* bytes);

// Loads the language table of |code| ("resources/lang/<code>.ini") from the
// open skin package; without a package, from the "resources" folder on disk.
// False when there is no such table (the language table is then empty).
bool LoadSkinLanguage(const std::string& code);
