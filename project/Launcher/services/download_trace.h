// The download trace: "dltrace.log" in the save folder, emptied when the
// manager starts and then only appended to, one event a line.
#pragma once

#include <string>

class DownloadTrace {
 public:
  // Empties (creates) the trace in |saveFolder|; an empty folder means no
  // trace file, and every line is dropped.
  void Open(std::string saveFolder);
  // Appends |line| (the caller ends it with "\n"); a trace that cannot be
  // opened loses the line and nothing else changes.
  void Append(const std::string& line) const;

 private:
  std::string path_;
};
