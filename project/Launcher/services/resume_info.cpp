#include "project/Launcher/services/resume_info.h"

#include <fcntl.h>
#include <json/json.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "project/Launcher/services/json_helpers.h"

namespace {

// A record is a few hundred bytes; anything far larger is not ours.
constexpr std::streamoff kMaxRecordBytes = 1 << 20;

bool ReadRecord(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaxRecordBytes) return false;
  in.seekg(0);
  out->assign(static_cast<size_t>(size), '\0');
  in.read(out->data(), size);
  return static_cast<bool>(in);
}

// A record that does not parse, nesting too deep included, is unusable.
bool ParseRecord(const std::string& text, Json::Value* root) {
  std::string errors;
  return ParseJson(text, *root, errors) && root->isObject();
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

// The rename over the old record is atomic, so a crash leaves one whole
// record; no sync is waited for (records are rewritten every second).
bool WriteAll(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      close(fd);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return close(fd) == 0;
}

}  // namespace

std::string ResumeInfoPath(const std::string& localFile) { return localFile + ".cfg"; }

bool SaveResumeInfo(const std::string& localFile, const std::string& md5,
                    const std::vector<PartInfo>& parts) {
  const std::string path = ResumeInfoPath(localFile);
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);

  Json::Value root(Json::objectValue);
  root["md5"] = md5;
  Json::Value list(Json::arrayValue);
  for (const auto& p : parts) {
    Json::Value item(Json::objectValue);
    item["index"] = p.index;
    item["begin"] = static_cast<Json::Int64>(p.begin);
    item["end"] = static_cast<Json::Int64>(p.end);
    list.append(item);
  }
  root["infoList"] = list;
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "\t";
  const std::string text = Json::writeString(writer, root);

  const std::string temp = path + ".tmp";
  if (!WriteAll(temp, text)) {
    RemoveQuietly(temp);
    return false;
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    RemoveQuietly(temp);
    return false;
  }
  return true;
}

bool LoadResumeInfo(const std::string& localFile, const std::string& md5, int64_t size,
                    std::vector<PartInfo>* parts) {
  parts->clear();
  const std::string path = ResumeInfoPath(localFile);
  std::string text;
  if (!ReadRecord(path, &text)) return false;

  Json::Value root;
  bool usable = ParseRecord(text, &root);
  if (usable) {
    const Json::Value& storedMd5 = root["md5"];
    const Json::Value& list = root["infoList"];
    usable = storedMd5.isString() && storedMd5.asString() == md5 && list.isArray();
    for (Json::ArrayIndex i = 0; usable && i < list.size(); ++i) {
      const Json::Value& item = list[i];
      if (!item.isObject() || !item["index"].isInt() || !item["begin"].isInt64() ||
          !item["end"].isInt64()) {
        usable = false;
        break;
      }
      PartInfo part{item["index"].asInt(), item["begin"].asInt64(), item["end"].asInt64()};
      // A finished part (begin just past end) stays listed until the record is
      // next rewritten; anything else must lie inside the file.
      if (part.index < 0 || part.begin < 0 || part.end >= size || part.begin > part.end + 1) {
        usable = false;
        break;
      }
      if (part.begin <= part.end) parts->push_back(part);
    }
    // Every part written but the file not yet checked: keep the file, the
    // caller checks its MD5.
    if (usable && parts->empty()) return false;
  }
  if (!usable) {
    // Whatever the record described cannot be trusted: start the file afresh.
    parts->clear();
    RemoveQuietly(localFile);
    RemoveQuietly(path);
    return false;
  }
  return true;
}

bool HasResumeInfo(const std::string& localFile, const std::string& md5) {
  std::string text;
  Json::Value root;
  return ReadRecord(ResumeInfoPath(localFile), &text) && ParseRecord(text, &root) &&
         root["md5"].isString() && root["md5"].asString() == md5;
}

std::vector<PartInfo> DivideIntoParts(int64_t size, int64_t partSize) {
  std::vector<PartInfo> parts;
  int32_t index = 0;
  for (int64_t begin = 0; begin < size; begin += partSize, ++index) {
    const int64_t end = std::min(size, begin + partSize) - 1;
    parts.push_back(PartInfo{index, begin, end});
  }
  return parts;
}
