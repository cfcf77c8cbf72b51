#pragma once
// Stand-ins for the desktop's programs (zenity, xdg-open): small shell
// scripts in a folder that the test puts first on PATH.

#include <sys/stat.h>

#include <fstream>
#include <string>

namespace windows_test {

inline void WriteStubProgram(const std::string& folder, const std::string& name,
                             const std::string& body) {
  const std::string path = folder + "/" + name;
  {
    std::ofstream out(path, std::ios::trunc);
    out << "#!/bin/sh\n" << body << "\n";
  }
  ::chmod(path.c_str(), 0755);
}

}  // namespace windows_test
