// Section lookups: one pass over the section headers that lie in the file.
#include "image/sections.h"

#include <cstdio>
#include <cstring>

#include "vortane/pe_layout.h"
#include "vortane/vortane.h"

namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The Name field against `name`: over at most 8 bytes, stopping at the first
// zero in either; only the letters A-Z and a-z are folded.
bool section_name_equals(const uint8_t* field, const char* name) {
  for (uint32_t i = 0; i < pe::kSectionNameSize; ++i) {
    char a = static_cast<char>(field[i]);
    char b = name[i];
    if (fold(a) != fold(b)) return false;
    if (a == '\0') return true;
  }
  return true;
}

}  // namespace

std::optional<uint32_t> find_section_by_name(const char* name, const ImageView& view,
                                             uint32_t nt_header) {
  pe::SectionTable table = pe::section_table(view, nt_header);
  for (uint32_t i = 0; i < table.count; ++i) {
    uint64_t header = table.offset + uint64_t{pe::kSectionHeaderSize} * i;
    if (section_name_equals(view.bytes(header, pe::kSectionNameSize), name))
      return static_cast<uint32_t>(header);
  }
  return std::nullopt;
}

std::optional<uint32_t> find_section_by_rva(uint32_t rva, const ImageView& view,
                                            uint32_t nt_header) {
  pe::SectionTable table = pe::section_table(view, nt_header);
  for (uint32_t i = 0; i < table.count; ++i) {
    uint64_t header = table.offset + uint64_t{pe::kSectionHeaderSize} * i;
    uint32_t start = view.u32(header + pe::kOffsetSectionVirtualAddress);
    uint32_t end = start + view.u32(header + pe::kOffsetSectionVirtualSize);
    if (start <= rva && rva < end) {
      if (option_set(OPT_TRACE)) {
        const uint8_t* field = view.bytes(header, pe::kSectionNameSize);
        const void* zero = std::memchr(field, 0, pe::kSectionNameSize);
        int length = zero ? static_cast<int>(static_cast<const uint8_t*>(zero) - field)
                          : static_cast<int>(pe::kSectionNameSize);
        std::printf(" %8.8lx address found in %*.*s", static_cast<unsigned long>(rva), 8, length,
                    reinterpret_cast<const char*>(field));
        std::printf(" %8.8lx<->%8.8lx\n", static_cast<unsigned long>(start),
                    static_cast<unsigned long>(end));
      }
      return static_cast<uint32_t>(header);
    }
  }
  return std::nullopt;
}
