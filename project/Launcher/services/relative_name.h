// Checks of names that come from lists, maps and servers before they are
// joined to a folder: a name may only ever point inside that folder.
#pragma once

#include <string_view>

// Not empty, relative, no drive or stream (":"), no NUL, no "." or ".." or
// empty component; "\" counts as a separator.
bool IsSafeRelativeName(std::string_view name);

// A safe name of one component: no separator at all.
bool IsBareFileName(std::string_view name);
