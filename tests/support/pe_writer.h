// The PE fixture writer: makes exactly the image a test needs, PE32 or PE32+,
// with any header sizes, any sections and an export table, and lets a test
// damage the result byte by byte.
//
//   pe_fixture::ExportTable t;
//   t.dll_name = "SAMPLE.dll";
//   t.add("Close", 0x1010).add("Open", 0x1020).add_forwarder("Read", "OTHER.ReadData");
//   pe_fixture::Image image;                 // PE32, i386
//   image.add_section(".text", 0x1000, pe_fixture::Bytes(0x40, 0xC3));
//   image.add_exports(t);                    // a new .edata section at 0x2000
//   blackbox::write_file(dir / "SAMPLE.dll", image.build());
//
// Everything the writer computes (counts, RVAs, sizes, offsets) can be
// forced to another value, so a fixture shows its fault in a line or two.
#ifndef VORTANE_TESTS_PE_WRITER_H
#define VORTANE_TESTS_PE_WRITER_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pe_fixture {

using Bytes = std::vector<uint8_t>;

// An export table. The writer lays it out for the RVA it is placed at:
// the 40-byte directory, the export address table, the name pointer table,
// the ordinal table, the stored DLL name, the names and the forwarding texts.
struct ExportTable {
  struct Function {
    uint32_t rva = 0;     // the entry point, unless `forward` is set
    std::string forward;  // non-empty: a forwarder; the entry is the RVA of this text
  };
  struct Name {
    std::string name;
    uint16_t index = 0;  // its ordinal table entry: an index into `functions`
  };

  std::string dll_name = "SAMPLE.dll";
  uint32_t characteristics = 0;
  uint32_t time_date_stamp = 0;
  uint16_t major_version = 0;
  uint16_t minor_version = 0;
  uint32_t base = 1;
  std::vector<Function> functions;  // export address table order
  std::vector<Name> names;          // name pointer table order, any order of indexes

  // Appends a function and a name for it (its index is the new function's).
  ExportTable& add(const std::string& name, uint32_t rva);
  ExportTable& add_forwarder(const std::string& name, const std::string& target);

  // Written in place of the computed directory fields when set. A table
  // with no entries gets RVA 0 unless forced here.
  std::optional<uint32_t> number_of_functions, number_of_names;
  std::optional<uint32_t> address_of_functions, address_of_names, address_of_name_ordinals;
  std::optional<uint32_t> name_rva;
};

// Where the parts of an export table were put, as RVAs.
struct ExportLayout {
  uint32_t directory = 0, functions = 0, names = 0, ordinals = 0, dll_name = 0;
  std::vector<uint32_t> name_strings;     // one per ExportTable::names
  std::vector<uint32_t> forward_strings;  // one per ExportTable::functions, 0 if none
  uint32_t end = 0;                       // one past the last byte
};

// The bytes of `table` laid out to start at `rva`.
Bytes build_exports(const ExportTable& table, uint32_t rva, ExportLayout* layout = nullptr);

struct Section {
  std::string name;  // up to 8 bytes in the Name field, zero-padded (8 leave no terminator)
  uint32_t virtual_address = 0;
  std::optional<uint32_t> virtual_size;         // default: data.size()
  std::optional<uint32_t> pointer_to_raw_data;  // default: after the previous raw data, 0x200-aligned
  std::optional<uint32_t> size_of_raw_data;     // default: data.size()
  uint32_t characteristics = 0x40000040;        // initialized data, readable
  Bytes data;                                   // written at pointer_to_raw_data (overlaps allowed)
};

struct Image {
  bool pe32_plus = false;                           // optional header Magic 0x20b, else 0x10b
  std::optional<uint16_t> machine;                  // default: 0x014c (PE32), 0x8664 (PE32+)
  std::optional<uint16_t> magic;                    // forces the Magic field
  uint32_t lfanew = 0x80;                           // file offset of the NT header
  std::optional<uint16_t> size_of_optional_header;  // default: 224 (PE32), 240 (PE32+); the
                                                    // optional header is cut to this size
  uint32_t number_of_rva_and_sizes = 16;            // data directory entries written: up to 16
  std::optional<uint16_t> number_of_sections;       // default: sections.size()
  uint32_t export_rva = 0, export_size = 0;         // data directory entry 0
  std::vector<Section> sections;                    // section table order

  Section& add_section(const std::string& name, uint32_t virtual_address, Bytes data = {});

  // Adds a section `section_name` at `virtual_address` that holds `offset`
  // zero bytes and then `table`; with `point_directory` the data directory's
  // export entry is set to the table (RVA and size).
  ExportLayout add_exports(const ExportTable& table, const std::string& section_name = ".edata",
                           uint32_t virtual_address = 0x2000, uint32_t offset = 0,
                           bool point_directory = true);

  // The file. The section table follows the optional header
  // (lfanew + 24 + SizeOfOptionalHeader) and holds `sections`, whatever
  // NumberOfSections says.
  Bytes build() const;

  // Where build() puts things, for patches: the NT header, section header i,
  // and the raw place of `rva` in the first section that holds it
  // (by VirtualAddress and virtual size), or nullopt.
  uint32_t nt_header() const { return lfanew; }
  uint32_t section_header(size_t i) const;
  std::optional<uint32_t> file_offset(uint32_t rva) const;
  uint32_t raw_offset(size_t i) const;  // PointerToRawData of section i as built
};

// A DLL in the usual shape: .text at 0x1000 (0x100 bytes) and the export
// table in .edata at 0x2000, pointed to by the data directory.
Image simple_dll(const ExportTable& table, bool pe32_plus = false);

// Damage hooks on built bytes; they grow the file with zero bytes as needed.
void patch_u16(Bytes& file, uint32_t offset, uint16_t value);
void patch_u32(Bytes& file, uint32_t offset, uint32_t value);
void patch(Bytes& file, uint32_t offset, const std::string& bytes);

}  // namespace pe_fixture

#endif  // VORTANE_TESTS_PE_WRITER_H
