#include "project/Launcher/services/part_writer.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string_view>

namespace {

// Reads the decimal number at |i|, moving past it; -1 when there is none or
// it does not fit.
int64_t ReadNumber(std::string_view text, size_t& i) {
  int64_t value = 0;
  size_t digits = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
    if (value > (INT64_MAX - 9) / 10) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return digits > 0 ? value : -1;
}

void SkipSpaces(std::string_view text, size_t& i) {
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
}

bool StartsWithNoCase(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() &&
         strncasecmp(line.data(), prefix.data(), prefix.size()) == 0;
}

}  // namespace

bool PartWriter::Open(const std::string& file, std::string* error) {
  Close();
  fd_ = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ >= 0) return true;
  *error = "open:(" + file + ") failed,errno:" + std::to_string(errno);
  return false;
}

void PartWriter::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void PartWriter::StartAnswer() {
  answer_ = Answer::kPending;
  status_ = 0;
  range_begin_ = -1;
  range_total_ = -1;
  content_length_ = -1;
}

void PartWriter::OnHeaderLine(const char* data, size_t n) {
  const std::string_view line(data, n);
  size_t i = 0;
  if (StartsWithNoCase(line, "HTTP/")) {
    // A new answer (after a redirect, or a 100 Continue) starts.
    StartAnswer();
    i = line.find(' ');
    if (i == std::string_view::npos) return;
    SkipSpaces(line, i);
    status_ = static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(ReadNumber(line, i), 999)));
  } else if (StartsWithNoCase(line, "content-range:")) {
    // "bytes a-b/total", or "bytes */total" with a 416.
    i = 14;
    SkipSpaces(line, i);
    if (!StartsWithNoCase(line.substr(i), "bytes")) return;
    i += 5;
    SkipSpaces(line, i);
    if (i < line.size() && line[i] == '*') {
      ++i;
    } else {
      range_begin_ = ReadNumber(line, i);
      if (range_begin_ < 0 || i >= line.size() || line[i] != '-') {
        range_begin_ = -1;
        return;
      }
      ++i;
      if (ReadNumber(line, i) < 0) return;
    }
    if (i < line.size() && line[i] == '/') {
      ++i;
      range_total_ = ReadNumber(line, i);
    }
  } else if (StartsWithNoCase(line, "content-length:")) {
    i = 15;
    SkipSpaces(line, i);
    content_length_ = ReadNumber(line, i);
  }
}

int64_t PartWriter::served_size() const {
  if (range_total_ >= 0) return range_total_;
  if (status_ == 200) return content_length_;
  return -1;
}

PartWriter::Answer PartWriter::Judge(int64_t next, int64_t last, int64_t fileSize) {
  if (answer_ != Answer::kPending) return answer_;
  const int64_t served = served_size();
  const bool answersFile = status_ == 200 || status_ == 206 || status_ == 416;
  if (answersFile && served >= 0 && served != fileSize) {
    answer_ = Answer::kSizeMismatch;
  } else if (status_ == 206) {
    answer_ = range_begin_ == next ? Answer::kPart : Answer::kRefused;
  } else if (status_ == 200) {
    answer_ = (next == 0 && last == fileSize - 1) ? Answer::kPart : Answer::kWholeFile;
  } else {
    answer_ = Answer::kRefused;
  }
  return answer_;
}

bool PartWriter::WriteAt(const char* data, size_t n, int64_t offset) {
  size_t written = 0;
  while (written < n) {
    const ssize_t w = pwrite(fd_, data + written, n - written,
                             static_cast<off_t>(offset + static_cast<int64_t>(written)));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    written += static_cast<size_t>(w);
  }
  return true;
}

std::string SizeMismatchText(const std::string& urlPath, int64_t servedSize, int64_t mapSize) {
  return "size mismatch for " + urlPath + ": the server's file has " +
         std::to_string(servedSize) + " bytes, the version map says " +
         std::to_string(mapSize);
}
