#pragma once
// Start with the session, in place of the Run registry value: an XDG
// autostart entry "$XDG_CONFIG_HOME/autostart/VDLLauncher.desktop"
// ($HOME/.config when XDG_CONFIG_HOME is unset).

#include <string>

namespace platform {

// The path of the launcher's autostart entry; empty when neither
// XDG_CONFIG_HOME nor HOME is set.
std::string AutostartEntryPath();

// Makes the entry start |programPath|. 0 when the entry already starts
// exactly that program (nothing written), 1 when it was written, -1 when it
// could not be written.
int SetAutostartEntry(const std::string& programPath);

// Removes the entry; a missing entry is not an error. False only when an
// existing entry could not be removed.
bool RemoveAutostartEntry();

// The text of the entry that starts |programPath|.
std::string AutostartEntryText(const std::string& programPath);

}  // namespace platform
