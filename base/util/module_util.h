#pragma once
// Where the program lives: its executable's full name and its folder, the base
// of every relative path the launcher uses.

#include <string>

namespace kbase {

// Full path of the running executable ("/proc/self/exe"); empty when it cannot
// be read. Paths of any length are returned whole.
std::u16string GetModuleFileName();

// The text of |path| up to and including its last "/" or "\\"; false when the
// name is shorter than 2 characters or holds no separator.
bool GetDirectoryPart(const std::u16string& path, std::u16string* directory);

// Folder of the running executable with its trailing separator; "./" when the
// executable's name cannot be read.
std::u16string GetModuleDirectory();

}  // namespace kbase
