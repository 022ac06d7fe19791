// The export directory and its three tables, read through the holding
// section, and the checks that decide, before anything is printed or
// written, whether they can be walked and whether their names may go into a
// .def file.
#ifndef VORTANE_EXPORTS_EXPORT_TABLE_H
#define VORTANE_EXPORTS_EXPORT_TABLE_H

#include <cstddef>
#include <cstdint>

#include "vortane/image_view.h"

struct ExportTable {
  const ImageView* view = nullptr;

  // The directory's fields.
  uint32_t characteristics = 0;
  uint32_t time_date_stamp = 0;
  uint16_t major_version = 0;
  uint16_t minor_version = 0;
  uint32_t name = 0;  // RVA of the stored DLL name
  uint32_t base = 0;
  uint32_t number_of_functions = 0;
  uint32_t number_of_names = 0;
  uint32_t address_of_functions = 0;
  uint32_t address_of_names = 0;
  uint32_t address_of_name_ordinals = 0;

  // From the holding section: RVA r lies at file offset r - delta, and an
  // export address table entry in [lower_bound, section_end] is a forwarder.
  uint32_t delta = 0;
  uint32_t section_end = 0;
  uint32_t lower_bound = 0;

  // Strings that start below this offset end inside the file: it is one past
  // the file's last zero byte.
  uint64_t terminated_below = 0;

  uint32_t offset_of(uint32_t rva) const { return rva - delta; }
  bool is_forwarder(uint32_t entry) const { return lower_bound <= entry && entry <= section_end; }
  bool string_in_file(uint32_t rva) const { return offset_of(rva) < terminated_below; }

  // Name i of the name pointer table: its ordinal table entry, the export
  // address table entry that it selects, and the RVA of the name.
  uint16_t ordinal_index(uint32_t i) const {
    return view->u16(uint64_t{offset_of(address_of_name_ordinals)} + 2 * uint64_t{i});
  }
  uint32_t entry(uint32_t k) const {
    return view->u32(uint64_t{offset_of(address_of_functions)} + 4 * uint64_t{k});
  }
  uint32_t name_rva(uint32_t i) const {
    return view->u32(uint64_t{offset_of(address_of_names)} + 4 * uint64_t{i});
  }

  // The zero-terminated string at `rva`, which the checks below have found
  // to end inside the file.
  void string_at(uint32_t rva, const char** text, size_t* length) const;
};

// Reads the directory at file offset `directory`, with the holding section
// header at `holding_section` and the data directory's export entry RVA
// `export_entry_rva` (the forwarder range's lower bound when it lies in the
// section). False when the directory does not lie wholly inside the file.
bool read_export_table(const ImageView& view, uint32_t directory, uint32_t holding_section,
                       uint32_t export_entry_rva, ExportTable* table);

// True when the tables, the stored DLL name and, for every name walked, the
// name and the forwarding text lie inside the file, and every ordinal table
// entry is below NumberOfFunctions. Tables with no entries are not looked at.
bool export_table_intact(const ExportTable& table);

// True when `library_name` and every export name can stand in a .def file:
// the library name holds no control character (0x00-0x1f, 0x7f) and no '"';
// an export name is not empty and holds none of those, nor ' ', '=' or ';'.
// Only for an intact table.
bool def_names_usable(const ExportTable& table, const char* library_name, size_t library_length);

#endif  // VORTANE_EXPORTS_EXPORT_TABLE_H
