// A growing byte buffer with the little- and big-endian stores that COFF
// objects and archives need. Bytes are kept in a std::string.
#ifndef LINK_BYTES_H
#define LINK_BYTES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace librarian {

class Bytes {
 public:
  void u8(uint8_t v) { data_.push_back(static_cast<char>(v)); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }
  void u32_be(uint32_t v) {
    u8(static_cast<uint8_t>(v >> 24));
    u8(static_cast<uint8_t>(v >> 16));
    u8(static_cast<uint8_t>(v >> 8));
    u8(static_cast<uint8_t>(v));
  }
  void append(const std::string& s) { data_ += s; }
  void append(const char* p, size_t n) { data_.append(p, n); }
  // `s` and its terminating NUL.
  void cstr(std::string_view s) {
    data_.append(s.data(), s.size());
    data_.push_back('\0');
  }
  // `s` cut or padded with NULs to exactly `width` bytes.
  void fixed(const std::string& s, size_t width) {
    data_ += s.substr(0, width);
    if (s.size() < width) data_.append(width - s.size(), '\0');
  }
  void zeros(size_t n) { data_.append(n, '\0'); }
  void align(size_t to) {
    while (data_.size() % to) data_.push_back('\0');
  }
  void put_u32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) data_[at + i] = static_cast<char>(v >> (8 * i));
  }
  void reserve(size_t n) { data_.reserve(n); }
  size_t size() const { return data_.size(); }
  const std::string& str() const { return data_; }
  std::string take() { return std::move(data_); }

 private:
  std::string data_;
};

}  // namespace librarian

#endif  // LINK_BYTES_H
