#include "project/Launcher/services/patch_inflater.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

// Packed bytes read from the file at a time, and the room used to unpack
// bytes that are only passed over.
constexpr uint64_t kInputBytes = 128 << 10;
constexpr uint64_t kSkipBytes = 64 << 10;

}  // namespace

PatchInflater::PatchInflater(int fd, uint64_t packedOffset, uint64_t packedSize, uint64_t rawSize)
    : fd_(fd),
      packed_begin_(packedOffset),
      packed_end_(packedOffset + packedSize),
      raw_size_(rawSize),
      next_input_(packedOffset),
      end_(rawSize) {}

PatchInflater::~PatchInflater() {
  if (initialised_) inflateEnd(&stream_);
}

bool PatchInflater::Init() {
  input_.reset(new (std::nothrow) uint8_t[kInputBytes]);
  if (!input_ || inflateInit(&stream_) != Z_OK) return false;
  initialised_ = true;
  return true;
}

bool PatchInflater::Fail(int error) {
  broken_ = true;
  if (error_ == 0) error_ = error;
  return false;
}

bool PatchInflater::Restart() {
  if (inflateReset(&stream_) != Z_OK) return Fail(0);
  stream_.avail_in = 0;
  next_input_ = packed_begin_;
  position_ = 0;
  ended_ = false;
  return true;
}

void PatchInflater::SetRegion(uint64_t begin, uint64_t end) {
  end_ = std::min(end, raw_size_);
  begin = std::min(begin, end_);
  if (broken_) return;
  if (begin < position_ && !Restart()) return;
  Skip(begin - position_);
}

bool PatchInflater::Skip(uint64_t n) {
  uint8_t scratch[kSkipBytes];
  while (n > 0) {
    const uint64_t step = std::min(n, kSkipBytes);
    if (!Inflate(scratch, step)) return false;
    n -= step;
  }
  return true;
}

bool PatchInflater::Read(void* out, uint64_t n) {
  if (broken_ || n > Remaining()) return false;
  return Inflate(static_cast<uint8_t*>(out), n);
}

bool PatchInflater::Refill() {
  const uint64_t want = std::min(kInputBytes, packed_end_ - next_input_);
  if (want == 0) return Fail(0);  // the stream needs more than the packed size
  for (;;) {
    const ssize_t got = pread(fd_, input_.get(), want, static_cast<off_t>(next_input_));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail(errno);
    if (got == 0) return Fail(0);  // the file is shorter than it said
    next_input_ += static_cast<uint64_t>(got);
    stream_.next_in = input_.get();
    stream_.avail_in = static_cast<uInt>(got);
    return true;
  }
}

bool PatchInflater::Inflate(uint8_t* out, uint64_t n) {
  if (broken_) return false;
  if (n > raw_size_ - position_ || (ended_ && n > 0)) return Fail(0);
  stream_.next_out = out;
  stream_.avail_out = static_cast<uInt>(n);
  while (stream_.avail_out > 0) {
    if (stream_.avail_in == 0 && !Refill()) return false;
    const int z = inflate(&stream_, Z_NO_FLUSH);
    if (z == Z_STREAM_END) {
      ended_ = true;
      if (stream_.avail_out > 0) return Fail(0);  // unpacks to less than the raw size
    } else if (z != Z_OK && !(z == Z_BUF_ERROR && stream_.avail_in == 0)) {
      return Fail(0);
    }
  }
  position_ += n;
  return true;
}

bool PatchInflater::Finish() {
  if (broken_) return false;
  if (!Skip(raw_size_ - position_)) return false;
  // One byte of room tells a stream that unpacks to more than the raw size.
  uint8_t extra_byte;
  while (!ended_) {
    if (stream_.avail_in == 0 && !Refill()) return false;
    stream_.next_out = &extra_byte;
    stream_.avail_out = 1;
    const int z = inflate(&stream_, Z_NO_FLUSH);
    if (stream_.avail_out == 0) return Fail(0);
    if (z == Z_STREAM_END) {
      ended_ = true;
    } else if (z != Z_OK && !(z == Z_BUF_ERROR && stream_.avail_in == 0)) {
      return Fail(0);
    }
  }
  return true;
}
