// The two lists a launcher update leaves in "./update" for the self-update
// copy: "cef_update.txt" (browser-engine files to move into the program's
// folder) and "font_update.txt" (fonts to install). Both are JSON arrays of
// names relative to the program's folder; the staged copy of each lies under
// "./update/". Names are checked before they touch the disk; a name that can
// never be applied (unsafe, or its staged copy is gone) is dropped, while one
// whose copy failed stays in its list for the next run. A list is deleted
// once nothing is left in it.
#pragma once

inline constexpr char kCefUpdateList[] = "./update/cef_update.txt";
inline constexpr char kFontUpdateList[] = "./update/font_update.txt";

// Moves the listed browser-engine files into place, creating their folders.
void ApplyCefUpdate();
// Installs the listed fonts into the user's font folder and copies them into
// the program's folder (bare file names only).
void ApplyFontUpdate();
