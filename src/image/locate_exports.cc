// Finds the export directory and the section that holds it: the section
// named ".edata" first, else the section whose range holds the RVA in the
// data directory's export entry.
#include <cstdio>

#include "image/sections.h"
#include "vortane/pe_layout.h"
#include "vortane/vortane.h"

namespace {

// The place of `rva` through the section header at `section`, in 32-bit
// arithmetic like every RVA of the export data.
uint32_t place_of(const ImageView& view, uint32_t section, uint32_t rva) {
  return rva - view.u32(section + pe::kOffsetSectionVirtualAddress) +
         view.u32(section + pe::kOffsetSectionPointerToRawData);
}

}  // namespace

int locate_exports(const ImageView& view, const char* file_name) {
  uint32_t nt = pe::nt_header(view);
  std::optional<uint32_t> edata = find_section_by_name(".edata", view, nt);
  if (!edata) return locate_exports_by_directory(view, file_name);
  // The directory begins at the section's first raw byte, whatever the data
  // directory says.
  uint32_t directory = view.u32(*edata + pe::kOffsetSectionPointerToRawData);
  return walk_exports(view, directory, *edata, file_name);
}

int locate_exports_by_directory(const ImageView& view, const char* file_name) {
  uint32_t nt = pe::nt_header(view);
  uint32_t rva = pe::export_entry_rva(view, nt);
  if (rva == 0) {
    std::putchar('\n');
    std::printf("?No Export directory in %s?\n", file_name);
    note_failure();
    return RESULT_FAILED;
  }
  if (option_set(OPT_TRACE))
    std::printf("Found export dir - RVA=0x%8.8lx\n", static_cast<unsigned long>(rva));
  std::optional<uint32_t> section = find_section_by_rva(rva, view, nt);
  if (!section) {
    std::putchar('\n');
    std::printf("?No .rdata section in %s?\n", file_name);
    note_failure();
    return RESULT_NO_HOLDING_SECTION;
  }
  return walk_exports(view, place_of(view, *section, rva), *section, file_name);
}
