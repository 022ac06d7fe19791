// A growing byte buffer with the little- and big-endian stores that COFF
// objects and archives need. Bytes are kept in a std::string; a buffer made
// for a file hands its bytes on to the file whenever it has gathered enough,
// so a large output never stands whole in memory.
#ifndef LINK_BYTES_H
#define LINK_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace librarian {

class Bytes {
 public:
  Bytes() = default;
  // Bytes that go on to `file`; flush() writes out the last of them.
  explicit Bytes(std::FILE* file) : file_(file) { data_.reserve(kChunk + kChunk / 4); }

  void u8(uint8_t v) {
    data_.push_back(static_cast<char>(v));
    spill();
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
    data_.append(p, n);
    spill();
  }
  // `s` and its terminating NUL.
  void cstr(std::string_view s) {
    data_.append(s.data(), s.size());
    data_.push_back('\0');
    spill();
  }
  // `s` cut or padded with NULs to exactly `width` bytes.
  void fixed(std::string_view s, size_t width) {
    if (s.size() >= width) return append(s.data(), width);
    data_.append(s.data(), s.size());
    zeros(width - s.size());
  }
  void zeros(size_t n) {
    data_.append(n, '\0');
    spill();
  }
  void align(size_t to) {
    while (size() % to) u8(0);
  }
  void reserve(size_t n) { data_.reserve(n); }
  // Every byte stored so far, including those already handed to the file.
  size_t size() const { return written_ + data_.size(); }
  std::string take() { return std::move(data_); }

  // Writes what is still buffered to the file. False when any write failed.
  bool flush() {
    if (file_ && !data_.empty()) {
      if (std::fwrite(data_.data(), 1, data_.size(), file_) != data_.size()) failed_ = true;
      written_ += data_.size();
      data_.clear();
    }
    return !failed_;
  }

 private:
  static constexpr size_t kChunk = 64 * 1024;

  void spill() {
    if (file_ && data_.size() >= kChunk) flush();
  }

  std::string data_;
  std::FILE* file_ = nullptr;
  size_t written_ = 0;  // bytes already handed to the file
  bool failed_ = false;
};

}  // namespace librarian

#endif  // LINK_BYTES_H
