// Files, folders, drive space and text splitting shared by the download
// manager, the update states, the store and the windows. No state; safe on
// any thread for distinct files. The W forms take UTF-16 paths, the others
// UTF-8.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// WriteStringToFile (folder_helpers.h) on a UTF-16 path.
bool WriteStringToFileW(const std::u16string& path, const std::string& bytes);

// Reads the stream to its end, hashing every byte; `md5` gets the 32
// lower-case hexadecimal digits and `size` the byte count. Closes the stream.
// False, with empty `md5`, when a read fails: a digest of part of a file is
// never reported.
bool FileMd5(std::ifstream& file, std::string& md5, int64_t& size);

// Hashes the file at `path`; true when its digest equals `expected` exactly
// (case-sensitive; an empty expectation never matches). The outputs are
// cleared first and stay so when the file cannot be read.
bool CheckFileMd5(const std::string& path, const std::string& expected, std::string& md5,
                  int64_t& size);

// Reads exactly `count` bytes from the descriptor into a buffer of count + 1
// bytes; none when fewer arrive, a read fails or memory runs out. The
// descriptor is closed in every case; `size` (when given) gets the count.
std::unique_ptr<uint8_t[]> ReadWholeFileHandle(int fd, uint64_t count, uint64_t* size);

// Creates every folder along the path; true when the folder exists at the end.
bool CreateFolders(const std::string& path);
bool CreateFoldersW(const std::u16string& path);

// Deletes the folder and everything in it; a symbolic link inside is removed,
// not followed. Whatever cannot be deleted stays, with the folders above it.
void DeleteFolderRecursive(const std::string& path);
void DeleteFolderRecursiveW(const std::u16string& path);

// Whether the path names an existing folder (a relative path is taken from
// the current folder).
bool IsFolder(const std::string& path);
bool IsFolderW(const std::u16string& path);

// Total bytes of the file system that holds the path and the bytes the user
// may still write there; the path need not exist yet. False, with the
// outputs untouched, when nothing can be learned.
bool GetDriveSpace(const std::string& path, uint64_t& total, uint64_t& available);
bool GetDriveSpaceW(const std::u16string& path, uint64_t& total, uint64_t& available);

// The "drive" of a path: the mount point of the file system that holds it.
// Two paths on the same file system give the same text; empty when nothing
// of the path exists.
std::u16string GetPathDriveW(const std::u16string& path);

// Splits text at every occurrence of the separator. Empty pieces between
// separators are kept; a separator at the very end adds no empty piece.
// Empty text or separator: 0 pieces.
size_t SplitAtSeparator(const std::string& text, const std::string& separator,
                        std::vector<std::string>& list);
size_t SplitAtSeparatorW(const std::u16string& text, const std::u16string& separator,
                         std::vector<std::u16string>& list);
