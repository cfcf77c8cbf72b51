// Disk space of the file system that holds a path, and the mount point that
// stands for a Windows drive. Queries go through a replaceable function so
// tests can give their own figures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

struct DiskSpace {
  uint64_t total = 0;      // bytes of the whole file system
  uint64_t available = 0;  // bytes the calling user may still write
};

// statvfs on the nearest existing ancestor of `path` (the path itself when it
// exists). A path that does not exist yet still reports the space of the file
// system it would be created on.
bool QueryDiskSpace(const std::string& path, DiskSpace* out);

// The nearest existing folder that is `path` or one of its ancestors; a
// relative path is taken from the current folder. Empty when none exists.
std::string NearestExistingFolder(const std::string& path);

// The mount point of the file system that holds `path` (its nearest existing
// ancestor): the highest ancestor on the same device. Empty when nothing of
// the path exists.
std::string MountPointOf(const std::string& path);

// Replaces the disk-space query for tests; an empty function restores statvfs.
using DiskSpaceQuery = std::function<bool(const std::string& path, DiskSpace* out)>;
void SetDiskSpaceQueryForTesting(DiskSpaceQuery query);

}  // namespace platform
