#include "project/Launcher/core/store_json.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

#include <json/reader.h>
#include <json/writer.h>

std::string ToStoreJsonText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "\t";
  return Json::writeString(builder, value);
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  std::string temp = path + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  bool ok = written == bytes.size() && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

bool ReplaceJsonFile(const std::string& path, const Json::Value& value) {
  return ReplaceFileContents(path, ToStoreJsonText(value));
}

bool ReadStoreFile(const std::string& path, std::string* bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string content;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    if (content.size() + static_cast<size_t>(n) > kMaxStoreFileBytes) {
      ok = false;
      break;
    }
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (ok) *bytes = std::move(content);
  return ok;
}

bool ParseStoreJson(const std::string& text, Json::Value* root, std::string* error) {
  if (text.empty()) return false;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  Json::Value value;
  bool parsed = false;
  try {
    parsed = reader->parse(text.data(), text.data() + text.size(), &value, &errors);
  } catch (const std::exception& e) {  // nesting deeper than the reader's limit
    errors = e.what();
  }
  if (!parsed || !errors.empty()) {
    if (error != nullptr) *error = errors;
    return false;
  }
  *root = std::move(value);
  return true;
}
