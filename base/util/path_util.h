#pragma once
// Splitting of paths into components and creation of folders with all their
// parents. Both "/" and "\\" separate components; components are written with
// "/" (the separator of every path inside the program).

#include <string>
#include <vector>

namespace kbase {

// Clears |components|, then fills it with the components of |path|; each
// component that a separator followed ends with one "/" (a run of separators
// counts once). "/a\\b" gives "/", "a/" and "b". An empty path gives none.
bool SplitPath(const std::u16string& path, std::vector<std::u16string>* components);

// Creates |path| and every missing parent. True when the folder exists
// afterwards; false when a component exists as something other than a folder
// or a creation fails.
bool CreateDirectoryRecursive(const std::u16string& path);

}  // namespace kbase
