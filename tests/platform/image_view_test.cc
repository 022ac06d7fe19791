// The bounds-checked view: no read ever reaches outside the file, whatever
// offset an image holds.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "vortane/image_view.h"

namespace {

TEST(ImageView, ReadsLittleEndianInsideTheFile) {
  const uint8_t bytes[] = {0x4d, 0x5a, 0x01, 0x02, 0x03, 0x04, 0xff};
  ImageView v(bytes, sizeof bytes);
  uint32_t u32 = 0;
  uint16_t u16 = 0;
  ASSERT_TRUE(v.read_u32(2, &u32));
  EXPECT_EQ(u32, 0x04030201u);
  ASSERT_TRUE(v.read_u16(0, &u16));
  EXPECT_EQ(u16, 0x5a4d);
  EXPECT_EQ(v.u32(3), 0xff040302u);  // unaligned, up to the last byte
}

TEST(ImageView, RefusesEveryReadThatLeavesTheFile) {
  const uint8_t bytes[8] = {};
  ImageView v(bytes, sizeof bytes);
  uint32_t u32 = 0xdead;
  const uint64_t offsets[] = {5, 8, 9, 0xFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFDull};
  for (uint64_t off : offsets) {
    EXPECT_FALSE(v.read_u32(off, &u32)) << off;
    EXPECT_EQ(v.u32(off), 0u);
  }
  EXPECT_EQ(u32, 0xdeadu);
  EXPECT_TRUE(v.contains(8, 0));
  EXPECT_TRUE(v.contains(0, 8));
  EXPECT_FALSE(v.contains(1, 8));
  EXPECT_FALSE(v.contains(4, 0xFFFFFFFFFFFFFFFFull));  // no wrap-around
  EXPECT_EQ(v.bytes(4, 5), nullptr);
}

TEST(ImageView, StringsMustEndInsideTheFile) {
  const uint8_t bytes[] = {'a', 'b', 0, 'c', 'd'};
  ImageView v(bytes, sizeof bytes);
  const char* text = nullptr;
  size_t length = 0;
  ASSERT_TRUE(v.c_string(0, &text, &length));
  EXPECT_EQ(std::string(text, length), "ab");
  ASSERT_TRUE(v.c_string(2, &text, &length));
  EXPECT_EQ(length, 0u);
  EXPECT_FALSE(v.c_string(3, &text, &length));  // runs to the end unterminated
  EXPECT_FALSE(v.c_string(5, &text, &length));
  EXPECT_FALSE(v.c_string(~0ull, &text, &length));
}

}  // namespace
