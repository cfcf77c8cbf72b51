// The binary patch applier: turns an old file and a "BSDIFN40" patch (a
// zlib-packed difference in the manner of bsdiff) into the new file, either
// streaming (the patch unpacked as it is read, the files on disk, a few MiB
// of memory whatever their size) or whole in memory.
//
// Patch file: uint32 raw size, uint32 packed size (little-endian), then a
// zlib stream that unpacks to exactly the raw size. Unpacked: "BSDIFN40",
// control length C, diff length D, new size N (8-byte integers), the control
// block of (x, y, z) triples, the diff block and the extra block. An 8-byte
// integer is a magnitude below 2^31 in its first four bytes and a sign in
// bit 7 of its last byte; every other bit must be zero.
//
// Every offset is computed in 64 bits and every read and write is checked
// against the old file, the new file and the block it belongs to, so a
// damaged or crafted patch can only fail, with its result code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Detail codes besides the system's errno values.
constexpr uint32_t kPatchDetailOutOfMemory = 8;
constexpr uint32_t kPatchDetailUnreadable = 10001;
constexpr uint32_t kPatchDetailBadHeader = 10002;

// Streams the patch onto a new file: 0 when written, else
//   -1 patch cannot be opened, read or unpacked (detail: errno, 8 or 10001)
//   -2 unpacked patch too short, wrong magic or bad header (detail 10002)
//   -3 old file cannot be opened (detail errno)
//   -4 new file cannot be created (detail errno)
//   -8, -9, -10, -11, -12 from ApplyPatchStreamed.
// The new file is created before the patch is applied; after a failure it
// holds whatever was written. A damaged packed stream is found as it is
// unpacked, at the latest once the new file is written, and still gives -1
// (ahead of -2, -8, -9 and -12 except an exit request); only a missing old
// file or an unwritable new one (-3, -4) are told before it.
int32_t PatchFileStreamed(const std::string& oldPath, const std::string& newPath,
                          const std::string& patchPath, uint32_t& detail);
int32_t PatchFileStreamedW(const std::u16string& oldPath, const std::u16string& newPath,
                           const std::u16string& patchPath, uint32_t& detail);

// Applies the patch in memory and writes the new file only when it applied
// whole: 0 or -1, with a message on the standard output.
int32_t PatchFileInMemory(const std::string& oldPath, const std::string& newPath,
                          const std::string& patchPath);
int32_t PatchFileInMemoryW(const std::u16string& oldPath, const std::u16string& newPath,
                           const std::u16string& patchPath);

// Reads and unpacks a patch file from the open descriptor (not closed here).
// 1 on success; -1/-2 raw size unreadable/short, -3/-4 packed size, -5/-6
// packed bytes (also: more than the file holds), -7 out of memory or the
// zlib stream is bad or does not unpack to exactly the raw size.
int32_t ReadPackedPatch(int patchFile, std::unique_ptr<uint8_t[]>& data, uint64_t& length,
                        uint32_t& detail);

// The streaming applier over open descriptors and a patch already unpacked
// in memory. 0 when applied; -6 bad header
// (or its N differs from newSize); -8 control block, -9 diff block past the
// end of the patch; -10/-11 a work buffer cannot be allocated; -12 stopped,
// with detail -1 control block ended early, -2 bad or negative run or diff
// run beyond the new size, -3 diff run failed, -4 extra run beyond the new
// size, -5 extra run failed, -6 exit requested.
int32_t ApplyPatchStreamed(int oldFile, int64_t oldSize, int newFile, int64_t newSize,
                           const uint8_t* patch, uint64_t length, int32_t& detail);

// The in-memory applier: new receives newSize bytes. 0 or -1.
int32_t ApplyPatchInMemory(const uint8_t* oldData, int64_t oldSize, uint8_t* newData,
                           int64_t newSize, const uint8_t* patch, uint64_t length);
