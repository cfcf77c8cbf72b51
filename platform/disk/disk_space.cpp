#include "platform/disk/disk_space.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <mutex>

namespace platform {
namespace {

std::mutex g_query_lock;
DiskSpaceQuery g_query;  // empty: the real statvfs query

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::string cwd;
  std::string buffer(4096, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  cwd = buffer.c_str();
  if (path.empty()) return cwd;
  if (cwd.back() != '/') cwd += '/';
  return cwd + path;
}

// Drops the last component of an absolute path; "/" stays "/".
std::string ParentOf(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  size_t slash = p.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return p.substr(0, slash);
}

bool IsExistingFolder(const std::string& path, struct stat* st) {
  return stat(path.c_str(), st) == 0 && S_ISDIR(st->st_mode);
}

bool StatvfsQuery(const std::string& path, DiskSpace* out) {
  std::string folder = NearestExistingFolder(path);
  if (folder.empty()) return false;
  struct statvfs vfs;
  if (statvfs(folder.c_str(), &vfs) != 0) return false;
  out->total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  out->available = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  return true;
}

}  // namespace

std::string NearestExistingFolder(const std::string& path) {
  std::string current = AbsolutePath(path);
  if (current.empty()) return std::string();
  struct stat st;
  for (;;) {
    if (IsExistingFolder(current, &st)) return current;
    if (current == "/") return std::string();
    current = ParentOf(current);
  }
}

std::string MountPointOf(const std::string& path) {
  std::string current = NearestExistingFolder(path);
  if (current.empty()) return std::string();
  struct stat st;
  if (stat(current.c_str(), &st) != 0) return std::string();
  const dev_t device = st.st_dev;
  while (current != "/") {
    std::string parent = ParentOf(current);
    struct stat parent_st;
    if (stat(parent.c_str(), &parent_st) != 0 || parent_st.st_dev != device) break;
    current = parent;
  }
  return current;
}

bool QueryDiskSpace(const std::string& path, DiskSpace* out) {
  DiskSpaceQuery query;
  {
    std::lock_guard<std::mutex> lock(g_query_lock);
    query = g_query;
  }
  return query ? query(path, out) : StatvfsQuery(path, out);
}

void SetDiskSpaceQueryForTesting(DiskSpaceQuery query) {
  std::lock_guard<std::mutex> lock(g_query_lock);
  g_query = std::move(query);
}

}  // namespace platform
