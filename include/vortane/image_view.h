// A bounds-checked, read-only view of a mapped image file. Every read of image
// bytes goes through it: offsets are file offsets from the first byte, values
// are little-endian and read unaligned-safe, and nothing outside the file is
// ever touched.
#ifndef VORTANE_IMAGE_VIEW_H
#define VORTANE_IMAGE_VIEW_H

#include <cstddef>
#include <cstdint>
#include <cstring>

class ImageView {
 public:
  ImageView(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}

  uint64_t size() const { return size_; }

  // True when the `length` bytes from `offset` all lie inside the file.
  bool contains(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  // Reads fail (return false, leave *out alone) when the value does not lie
  // wholly inside the file.
  bool read_u8(uint64_t offset, uint8_t* out) const {
    if (!contains(offset, 1)) return false;
    *out = data_[offset];
    return true;
  }
  bool read_u16(uint64_t offset, uint16_t* out) const {
    if (!contains(offset, 2)) return false;
    *out = static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    return true;
  }
  bool read_u32(uint64_t offset, uint32_t* out) const {
    if (!contains(offset, 4)) return false;
    *out = static_cast<uint32_t>(data_[offset]) |
           (static_cast<uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<uint32_t>(data_[offset + 3]) << 24);
    return true;
  }

  // Reads of places already known to lie inside the file (checked once with
  // contains() for a whole structure). Out of range they give 0.
  uint16_t u16(uint64_t offset) const {
    uint16_t v = 0;
    read_u16(offset, &v);
    return v;
  }
  uint32_t u32(uint64_t offset) const {
    uint32_t v = 0;
    read_u32(offset, &v);
    return v;
  }

  // A zero-terminated string at `offset` that ends inside the file: its
  // start and length (without the terminator). False when the offset lies
  // outside the file or no zero byte follows before the end.
  bool c_string(uint64_t offset, const char** text, size_t* length) const {
    if (offset >= size_) return false;
    const void* end = std::memchr(data_ + offset, 0, static_cast<size_t>(size_ - offset));
    if (end == nullptr) return false;
    *text = reinterpret_cast<const char*>(data_ + offset);
    *length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (data_ + offset));
    return true;
  }

  // The bytes at `offset`, for `length` bytes the caller has checked with
  // contains(); nullptr otherwise.
  const uint8_t* bytes(uint64_t offset, uint64_t length) const {
    return contains(offset, length) ? data_ + offset : nullptr;
  }

 private:
  const uint8_t* data_;
  uint64_t size_;
};

#endif  // VORTANE_IMAGE_VIEW_H
