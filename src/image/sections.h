// The section lookups and the road to the export directory through the data
// directory. A section header is named by its file offset; headers that do
// not lie inside the file are never looked at.
#ifndef VORTANE_IMAGE_SECTIONS_H
#define VORTANE_IMAGE_SECTIONS_H

#include <cstdint>
#include <optional>

#include "vortane/image_view.h"

// The first section header, in table order, whose Name equals `name`: at
// most 8 bytes, letters compared without regard to case.
std::optional<uint32_t> find_section_by_name(const char* name, const ImageView& view,
                                             uint32_t nt_header);

// The first section header, in table order, whose memory range
// (VirtualAddress, VirtualSize) holds `rva`. With OPT_TRACE it prints the match.
std::optional<uint32_t> find_section_by_rva(uint32_t rva, const ImageView& view,
                                            uint32_t nt_header);

// The export directory found through the data directory's export entry.
// Same results as locate_exports.
int locate_exports_by_directory(const ImageView& view, const char* file_name);

#endif  // VORTANE_IMAGE_SECTIONS_H
