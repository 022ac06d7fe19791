// A growing byte buffer with the little- and big-endian stores that COFF
// objects and archives need. Bytes are kept in a std::string; a buffer made
// for a file hands its bytes on to the file whenever it has gathered enough,
// so a large output never stands whole in memory.
#ifndef LINK_BYTES_H
#define LINK_BYTES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace librarian {

class Bytes {
 public:
  Bytes() = default;
  // Bytes that go on to `file`; flush() writes out the last of them.
  explicit Bytes(std::FILE* file) : file_(file) { data_.resize(kChunk + kChunk / 4); }

  void u8(uint8_t v) {
    const char b = static_cast<char>(v);
    append(&b, 1);
  }
  void u16(uint16_t v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    append(b, 2);
  }
  void u32(uint32_t v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    append(b, 4);
  }
  void u32_be(uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
    append(b, 4);
  }
  void append(std::string_view s) { append(s.data(), s.size()); }
  void append(const char* p, size_t n) {
    std::memcpy(room(n), p, n);
    used_ += n;
    spill();
  }
  // `s` and its terminating NUL.
  void cstr(std::string_view s) {
    char* to = room(s.size() + 1);
    std::memcpy(to, s.data(), s.size());
    to[s.size()] = '\0';
    used_ += s.size() + 1;
    spill();
  }
  // `s` cut or padded with NULs to exactly `width` bytes.
  void fixed(std::string_view s, size_t width) {
    if (s.size() >= width) return append(s.data(), width);
    append(s.data(), s.size());
    zeros(width - s.size());
  }
  void zeros(size_t n) {
    std::memset(room(n), 0, n);
    used_ += n;
    spill();
  }
  void align(size_t to) {
    while (size() % to) u8(0);
  }
  void reserve(size_t n) {
    if (n > data_.size()) data_.resize(n);
  }
  // Every byte stored so far, including those already handed to the file.
  size_t size() const { return written_ + used_; }
  std::string take() {
    data_.resize(used_);
    used_ = 0;
    return std::move(data_);
  }

  // Writes what is still buffered to the file. False when any write failed.
  bool flush() {
    if (file_ && used_) {
      // After a failed write nothing more is tried, so errno tells of that one.
      if (!failed_ && std::fwrite(data_.data(), 1, used_, file_) != used_) failed_ = true;
      written_ += used_;
      used_ = 0;
    }
    return !failed_;
  }

 private:
  static constexpr size_t kChunk = 64 * 1024;

  // Where the next `n` bytes go.
  char* room(size_t n) {
    if (used_ + n > data_.size()) data_.resize(std::max(2 * data_.size(), used_ + n));
    return &data_[used_];
  }
  void spill() {
    if (file_ && used_ >= kChunk) flush();
  }

  std::string data_;  // the first `used_` bytes are stored ones
  size_t used_ = 0;
  std::FILE* file_ = nullptr;
  size_t written_ = 0;  // bytes already handed to the file
  bool failed_ = false;
};

}  // namespace librarian

#endif  // LINK_BYTES_H
