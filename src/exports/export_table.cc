#include "exports/export_table.h"

#include "vortane/vortane.h"

namespace {

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool library_char_usable(unsigned char c) { return !is_control(c) && c != '"'; }

bool export_char_usable(unsigned char c) {
  return library_char_usable(c) && c != ' ' && c != '=' && c != ';';
}

// One past the last zero byte of the file, 0 when it has none. A string
// that starts below it ends inside the file, so each string is checked in
// constant time however the names overlap.
uint64_t end_of_last_zero(const ImageView& view) {
  const uint8_t* bytes = view.bytes(0, view.size());
  for (uint64_t i = view.size(); i > 0; --i)
    if (bytes[i - 1] == 0) return i;
  return 0;
}

bool table_in_file(const ExportTable& t, uint32_t rva, uint32_t count, uint32_t width) {
  return count == 0 || t.view->contains(t.offset_of(rva), uint64_t{count} * width);
}

}  // namespace

void ExportTable::string_at(uint32_t rva, const char** text, size_t* length) const {
  if (!view->c_string(offset_of(rva), text, length)) {
    *text = "";
    *length = 0;
  }
}

bool read_export_table(const ImageView& view, uint32_t directory, uint32_t holding_section,
                       uint32_t export_entry_rva, ExportTable* t) {
  t->view = &view;
  uint32_t start = view.u32(holding_section + pe::kOffsetSectionVirtualAddress);
  t->delta = start - view.u32(holding_section + pe::kOffsetSectionPointerToRawData);
  t->section_end = start + view.u32(holding_section + pe::kOffsetSectionVirtualSize) - 1;
  t->lower_bound = (start <= export_entry_rva && export_entry_rva <= t->section_end)
                       ? export_entry_rva
                       : start;
  if (!view.contains(directory, pe::kExportDirectorySize)) return false;
  t->characteristics = view.u32(directory + pe::kExpOffsetCharacteristics);
  t->time_date_stamp = view.u32(directory + pe::kExpOffsetTimeDateStamp);
  t->major_version = view.u16(directory + pe::kExpOffsetMajorVersion);
  t->minor_version = view.u16(directory + pe::kExpOffsetMinorVersion);
  t->name = view.u32(directory + pe::kExpOffsetName);
  t->base = view.u32(directory + pe::kExpOffsetBase);
  t->number_of_functions = view.u32(directory + pe::kExpOffsetNumberOfFunctions);
  t->number_of_names = view.u32(directory + pe::kExpOffsetNumberOfNames);
  t->address_of_functions = view.u32(directory + pe::kExpOffsetAddressOfFunctions);
  t->address_of_names = view.u32(directory + pe::kExpOffsetAddressOfNames);
  t->address_of_name_ordinals = view.u32(directory + pe::kExpOffsetAddressOfNameOrdinals);
  t->terminated_below = end_of_last_zero(view);
  return true;
}

bool export_table_intact(const ExportTable& t) {
  if (!t.string_in_file(t.name)) return false;
  if (!table_in_file(t, t.address_of_functions, t.number_of_functions, 4) ||
      !table_in_file(t, t.address_of_names, t.number_of_names, 4) ||
      !table_in_file(t, t.address_of_name_ordinals, t.number_of_names, 2))
    return false;
  // What the walk prints and writes for the names, added up, fits in the
  // file that holds them: a table of many names that share one long string
  // would make the listing and the .def far larger than the file, at a cost
  // far above its size. Counting stops once the file's size is passed.
  uint64_t budget = t.view->size();
  auto spend = [&](uint32_t rva) {
    const char* text = nullptr;
    size_t length = 0;
    t.string_at(rva, &text, &length);
    if (length + 1 > budget) return false;
    budget -= length + 1;
    return true;
  };
  for (uint32_t i = 0; i < t.number_of_names; ++i) {
    uint32_t k = t.ordinal_index(i);
    if (k >= t.number_of_functions) return false;
    if (!t.string_in_file(t.name_rva(i)) || !spend(t.name_rva(i))) return false;
    uint32_t e = t.entry(k);
    if (t.is_forwarder(e) && (!t.string_in_file(e) || !spend(e))) return false;
  }
  return true;
}

bool def_names_usable(const ExportTable& t, const char* library_name, size_t library_length) {
  for (size_t i = 0; i < library_length; ++i)
    if (!library_char_usable(static_cast<unsigned char>(library_name[i]))) return false;
  // Every name scanned here is written to the .def file right after, so this
  // costs no more than writing it.
  for (uint32_t i = 0; i < t.number_of_names; ++i) {
    const char* name = nullptr;
    size_t length = 0;
    t.string_at(t.name_rva(i), &name, &length);
    if (length == 0) return false;
    for (size_t j = 0; j < length; ++j)
      if (!export_char_usable(static_cast<unsigned char>(name[j]))) return false;
  }
  return true;
}
