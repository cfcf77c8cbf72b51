#pragma once
// A line-by-line trace of what the program did (the main window's messages,
// the steps of the clean-up, the exit), written to the file or pipe named by
// $LAUNCHER_RECORD when it is set, and nowhere otherwise. Any thread.

#include <string>

class ProgramRecord {
 public:
  static ProgramRecord& Get();
  // Opens $LAUNCHER_RECORD for appending; nothing when it is unset.
  void Open();
  void Line(const std::string& line);
  bool active() const { return fd_ >= 0; }

 private:
  ProgramRecord() = default;
  int fd_ = -1;
};
