#pragma once
// Start with the session, in place of deleting a Run registry value: the
// machine registry's stand-in (platform/system/machine_registry.h) writes an
// XDG autostart entry "<config folder>/autostart/<name>.desktop" for a Run
// value; this removes one.

#include <string>

namespace platform {

// The path of the autostart entry that stands for the Run value |name|.
std::string AutostartEntryPath(const std::string& name);

// Removes the entry; a missing entry is not an error. False only when an
// existing entry could not be removed, or |name| is not a plain file name.
bool RemoveAutostartEntry(const std::string& name);

}  // namespace platform
