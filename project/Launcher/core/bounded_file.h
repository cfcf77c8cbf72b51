#pragma once
// Whole-file reads with a bound: the store's files are small, and a file that
// has grown past any sensible size (damaged, or planted) is refused rather
// than read into memory.

#include <cstdint>
#include <string>

// The bound of the settings, log, configuration and identifier files.
inline constexpr uint64_t kMaxSmallFileBytes = 1u << 20;
// The bound of version maps and lists, which name every file of a tree.
inline constexpr uint64_t kMaxMapFileBytes = 64u << 20;

// Reads the whole file when it is a regular file of at most |maxBytes|;
// false, with |bytes| unchanged, otherwise.
bool ReadBoundedFile(const std::string& path, uint64_t maxBytes, std::string* bytes);
