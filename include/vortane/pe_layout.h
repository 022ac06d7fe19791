// Where an image's own headers put the section table and the export entry.
// Shared by the export directory location and the export walk (whose
// forwarder range starts at the export entry's RVA), so that both read the
// same places: PE32+ images have their data directory 16 bytes further on,
// and the section table follows the optional header, whatever its size.
#ifndef VORTANE_PE_LAYOUT_H
#define VORTANE_PE_LAYOUT_H

#include <cstdint>

#include "vortane/image_view.h"
#include "vortane/vortane.h"

namespace pe {

// File offset of the NT header. The signature checks have made sure that
// its first kNtHeaderProbeSize bytes lie inside the file.
inline uint32_t nt_header(const ImageView& view) { return view.u32(kOffsetLfanew); }

// The section headers that lie wholly inside the file, from the first:
// headers past the end of the file count as absent.
struct SectionTable {
  uint64_t offset = 0;  // file offset of section header 0
  uint32_t count = 0;   // NumberOfSections, cut to what the file holds
};

inline SectionTable section_table(const ImageView& view, uint32_t nt) {
  SectionTable table;
  table.offset = uint64_t{nt} + kOffsetOptionalHeader + view.u16(nt + kOffsetSizeOfOptionalHeader);
  uint32_t declared = view.u16(nt + kOffsetNumberOfSections);
  uint64_t room = table.offset < view.size() ? (view.size() - table.offset) / kSectionHeaderSize : 0;
  table.count = room < declared ? static_cast<uint32_t>(room) : declared;
  return table;
}

// The RVA in the data directory's export entry, read at the place the
// optional header's Magic gives (PE32+ or PE32); 0 when the image has no
// export entry: NumberOfRvaAndSizes is 0, or the entry does not lie inside
// the optional header.
inline uint32_t export_entry_rva(const ImageView& view, uint32_t nt) {
  uint64_t optional = uint64_t{nt} + kOffsetOptionalHeader;
  uint32_t size_of_optional_header = view.u16(nt + kOffsetSizeOfOptionalHeader);
  uint16_t magic = 0;
  if (size_of_optional_header < 2 || !view.read_u16(optional, &magic)) return 0;
  bool plus = magic == kMagicPe32Plus;
  uint32_t count_at = plus ? kOptOffsetNumberOfRvaAndSizesPe32Plus : kOptOffsetNumberOfRvaAndSizesPe32;
  uint32_t entry_at = plus ? kOptOffsetExportEntryPe32Plus : kOptOffsetExportEntryPe32;
  if (entry_at + kDataDirectoryEntrySize > size_of_optional_header) return 0;
  uint32_t count = 0, rva = 0;
  if (!view.read_u32(optional + count_at, &count) || count == 0) return 0;
  if (!view.read_u32(optional + entry_at, &rva)) return 0;
  return rva;
}

}  // namespace pe

#endif  // VORTANE_PE_LAYOUT_H
