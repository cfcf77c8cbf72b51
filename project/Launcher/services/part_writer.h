// Writes one part of a file in download as its transfer arrives. The
// answer's head is read first (status, Content-Range, length) and judged
// once: only an answer that carries the asked-for bytes of a file of the
// expected size reaches the file, each chunk at its own offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class PartWriter {
 public:
  enum class Answer {
    kPending,       // not judged yet
    kPart,          // the asked-for bytes: a 206 from the part's next byte,
                    // or a 200 for a part that is the whole file
    kWholeFile,     // a 200 to a ranged request for less than the whole file:
                    // the server ignores ranges and sends the file from 0
    kSizeMismatch,  // the server's file has another size than expected
    kRefused,       // anything else: not a byte reaches the file
  };

  PartWriter() = default;
  ~PartWriter() { Close(); }
  PartWriter(const PartWriter&) = delete;
  PartWriter& operator=(const PartWriter&) = delete;

  // Opens (creates) the file for positioned writes.
  bool Open(const std::string& file, std::string* error);
  void Close();

  // A new request: forgets the last answer.
  void StartAnswer();
  // One header line of the answer, as libcurl hands it over.
  void OnHeaderLine(const char* data, size_t n);
  // Judges the answer once, for the bytes [next, last] of a file of
  // |fileSize| bytes; later calls return the first verdict.
  Answer Judge(int64_t next, int64_t last, int64_t fileSize);
  Answer answer() const { return answer_; }
  int status() const { return status_; }
  // The size of the server's file as the answer gives it: the total of its
  // Content-Range (also of a 416), or the length of a 200; -1 when unknown.
  int64_t served_size() const;

  // Writes all |n| bytes at |offset|; false when the system refuses (errno
  // tells why).
  bool WriteAt(const char* data, size_t n, int64_t offset);

 private:
  int fd_ = -1;
  Answer answer_ = Answer::kPending;
  int status_ = 0;
  int64_t range_begin_ = -1;
  int64_t range_total_ = -1;
  int64_t content_length_ = -1;
};

// Builds the error of a file whose server copy has another size.
std::string SizeMismatchText(const std::string& urlPath, int64_t servedSize, int64_t mapSize);
