#pragma once
// A fresh folder under the system's temporary folder, removed with all its
// content when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "launcher_test_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // The full path of `relative` inside the folder.
  std::string File(const std::string& relative) const { return path_ + "/" + relative; }
  std::string Join(const std::string& relative) const { return File(relative); }

  // Writes `bytes` to the relative path, creating its folders; returns the
  // full path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path full = File(relative);
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full.string();
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(File(relative), std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
  }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(File(relative)); }

 private:
  std::string path_;
};
