#pragma once
// The skin package the UI framework reads: a "resources.zip" beside the
// program (delivered by a launcher update) wins over the package linked into
// the program. The file is never opened in place: it is copied to
// "update/tmp_resources.zip" and the copy is opened, so an update may replace
// the original while the launcher runs.

#include <cstddef>

// The package linked into the program (set once at start-up; the bytes must
// live for the whole process). Without one, a missing "resources.zip" leaves
// the framework without a skin archive.
void SetEmbeddedSkinPackage(const void* data, size_t size);

// UI thread: opens "resources.zip" of the working folder through its copy,
// or the embedded package when there is no such file or it cannot be copied.
// True when the package that was opened came from "resources.zip".
bool PrepareSkinPackage();
