#include "pe_writer.h"

#include <algorithm>

namespace pe_fixture {

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;

uint32_t align_up(uint32_t v, uint32_t a) { return (v + a - 1) / a * a; }

void put_u16(Bytes& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put_u32(Bytes& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void put_u64(Bytes& b, size_t at, uint64_t v) {
  put_u32(b, at, static_cast<uint32_t>(v));
  put_u32(b, at + 4, static_cast<uint32_t>(v >> 32));
}

void put_bytes(Bytes& b, size_t at, const uint8_t* data, size_t n) {
  if (b.size() < at + n) b.resize(at + n);
  std::copy(data, data + n, b.begin() + at);
}

// Appends a zero-terminated string, returns its offset.
uint32_t append_string(Bytes& b, const std::string& s) {
  uint32_t at = static_cast<uint32_t>(b.size());
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
  return at;
}

uint16_t default_size_of_optional_header(bool pe32_plus) { return pe32_plus ? 240 : 224; }

}  // namespace

ExportTable& ExportTable::add(const std::string& name, uint32_t rva) {
  functions.push_back({rva, ""});
  names.push_back({name, static_cast<uint16_t>(functions.size() - 1)});
  return *this;
}

ExportTable& ExportTable::add_forwarder(const std::string& name, const std::string& target) {
  functions.push_back({0, target});
  names.push_back({name, static_cast<uint16_t>(functions.size() - 1)});
  return *this;
}

Bytes build_exports(const ExportTable& t, uint32_t rva, ExportLayout* layout) {
  ExportLayout l;
  Bytes b(40, 0);
  l.directory = rva;
  uint32_t functions_at = static_cast<uint32_t>(b.size());
  b.resize(b.size() + 4 * t.functions.size());
  uint32_t names_at = static_cast<uint32_t>(b.size());
  b.resize(b.size() + 4 * t.names.size());
  uint32_t ordinals_at = static_cast<uint32_t>(b.size());
  b.resize(b.size() + 2 * t.names.size());
  uint32_t dll_name_at = append_string(b, t.dll_name);
  for (size_t i = 0; i < t.names.size(); ++i) {
    uint32_t at = append_string(b, t.names[i].name);
    l.name_strings.push_back(rva + at);
    put_u32(b, names_at + 4 * i, rva + at);
    put_u16(b, ordinals_at + 2 * i, t.names[i].index);
  }
  for (size_t i = 0; i < t.functions.size(); ++i) {
    uint32_t entry = t.functions[i].rva;
    uint32_t text = 0;
    if (!t.functions[i].forward.empty()) entry = text = rva + append_string(b, t.functions[i].forward);
    l.forward_strings.push_back(text);
    put_u32(b, functions_at + 4 * i, entry);
  }
  l.functions = t.functions.empty() ? 0 : rva + functions_at;
  l.names = t.names.empty() ? 0 : rva + names_at;
  l.ordinals = t.names.empty() ? 0 : rva + ordinals_at;
  l.dll_name = rva + dll_name_at;
  l.end = rva + static_cast<uint32_t>(b.size());

  put_u32(b, 0, t.characteristics);
  put_u32(b, 4, t.time_date_stamp);
  put_u16(b, 8, t.major_version);
  put_u16(b, 10, t.minor_version);
  put_u32(b, 12, t.name_rva.value_or(l.dll_name));
  put_u32(b, 16, t.base);
  put_u32(b, 20, t.number_of_functions.value_or(static_cast<uint32_t>(t.functions.size())));
  put_u32(b, 24, t.number_of_names.value_or(static_cast<uint32_t>(t.names.size())));
  put_u32(b, 28, t.address_of_functions.value_or(l.functions));
  put_u32(b, 32, t.address_of_names.value_or(l.names));
  put_u32(b, 36, t.address_of_name_ordinals.value_or(l.ordinals));
  if (layout) *layout = l;
  return b;
}

Section& Image::add_section(const std::string& name, uint32_t virtual_address, Bytes data) {
  Section s;
  s.name = name;
  s.virtual_address = virtual_address;
  s.data = std::move(data);
  sections.push_back(std::move(s));
  return sections.back();
}

ExportLayout Image::add_exports(const ExportTable& table, const std::string& section_name,
                                uint32_t virtual_address, uint32_t offset, bool point_directory) {
  ExportLayout layout;
  Bytes data(offset, 0);
  Bytes exports = build_exports(table, virtual_address + offset, &layout);
  data.insert(data.end(), exports.begin(), exports.end());
  add_section(section_name, virtual_address, std::move(data));
  if (point_directory) {
    export_rva = layout.directory;
    export_size = layout.end - layout.directory;
  }
  return layout;
}

uint32_t Image::section_header(size_t i) const {
  uint16_t soh = size_of_optional_header.value_or(default_size_of_optional_header(pe32_plus));
  return lfanew + 24 + soh + 40 * static_cast<uint32_t>(i);
}

uint32_t Image::raw_offset(size_t i) const {
  uint32_t cursor = align_up(section_header(sections.size()), kFileAlignment);
  for (size_t k = 0; k < sections.size(); ++k) {
    const Section& s = sections[k];
    uint32_t at = s.pointer_to_raw_data.value_or(cursor);
    if (k == i) return at;
    cursor = std::max(cursor, align_up(at + static_cast<uint32_t>(s.data.size()), kFileAlignment));
  }
  return cursor;
}

std::optional<uint32_t> Image::file_offset(uint32_t rva) const {
  for (size_t i = 0; i < sections.size(); ++i) {
    const Section& s = sections[i];
    uint32_t size = s.virtual_size.value_or(static_cast<uint32_t>(s.data.size()));
    if (s.virtual_address <= rva && rva - s.virtual_address < size)
      return rva - s.virtual_address + raw_offset(i);
  }
  return std::nullopt;
}

Bytes Image::build() const {
  Bytes f(std::max<uint32_t>(64, lfanew), 0);
  f[0] = 'M';
  f[1] = 'Z';
  put_u32(f, 60, lfanew);

  uint16_t soh = size_of_optional_header.value_or(default_size_of_optional_header(pe32_plus));
  uint32_t headers_end = section_header(sections.size());
  uint32_t size_of_headers = align_up(headers_end, kFileAlignment);
  uint32_t image_end = size_of_headers;
  for (const Section& s : sections) {
    uint32_t size = s.virtual_size.value_or(static_cast<uint32_t>(s.data.size()));
    image_end = std::max(image_end, s.virtual_address + size);
  }

  // NT header: signature and file header.
  uint32_t nt = lfanew;
  put_bytes(f, nt, reinterpret_cast<const uint8_t*>("PE\0\0"), 4);
  put_u16(f, nt + 4, machine.value_or(pe32_plus ? 0x8664 : 0x014c));
  put_u16(f, nt + 6, number_of_sections.value_or(static_cast<uint16_t>(sections.size())));
  put_u16(f, nt + 20, soh);
  put_u16(f, nt + 22, pe32_plus ? 0x2022 : 0x2102);  // executable DLL, 32-bit or large-address

  // Optional header, made whole and then cut to SizeOfOptionalHeader.
  uint32_t count_at = pe32_plus ? 108 : 92;
  Bytes o(count_at + 4, 0);
  put_u16(o, 0, magic.value_or(pe32_plus ? 0x20b : 0x10b));
  o[2] = 14;  // linker version
  put_u32(o, 20, 0x1000);  // BaseOfCode
  if (pe32_plus) {
    put_u64(o, 24, 0x180000000ull);
  } else {
    put_u32(o, 28, 0x10000000u);
  }
  put_u32(o, 32, kSectionAlignment);
  put_u32(o, 36, kFileAlignment);
  put_u16(o, 40, 6);  // operating system version
  put_u16(o, 48, 6);  // subsystem version
  put_u32(o, 56, align_up(image_end, kSectionAlignment));
  put_u32(o, 60, size_of_headers);
  put_u16(o, 68, 3);  // console subsystem
  if (pe32_plus) {
    put_u64(o, 72, 0x100000);
    put_u64(o, 80, 0x1000);
    put_u64(o, 88, 0x100000);
    put_u64(o, 96, 0x1000);
  } else {
    put_u32(o, 72, 0x100000);
    put_u32(o, 76, 0x1000);
    put_u32(o, 80, 0x100000);
    put_u32(o, 84, 0x1000);
  }
  put_u32(o, count_at, number_of_rva_and_sizes);
  uint32_t directories = std::min<uint32_t>(number_of_rva_and_sizes, 16);
  o.resize(count_at + 4 + 8 * directories, 0);
  if (directories > 0) {
    put_u32(o, count_at + 4, export_rva);
    put_u32(o, count_at + 8, export_size);
  }
  o.resize(soh, 0);
  put_bytes(f, nt + 24, o.data(), o.size());

  // Section table and raw data.
  if (f.size() < headers_end) f.resize(headers_end, 0);
  if (f.size() < size_of_headers && !sections.empty()) f.resize(size_of_headers, 0);
  for (size_t i = 0; i < sections.size(); ++i) {
    const Section& s = sections[i];
    uint32_t h = section_header(i);
    uint8_t name[8] = {};
    std::copy_n(s.name.begin(), std::min<size_t>(8, s.name.size()), name);
    put_bytes(f, h, name, 8);
    put_u32(f, h + 8, s.virtual_size.value_or(static_cast<uint32_t>(s.data.size())));
    put_u32(f, h + 12, s.virtual_address);
    put_u32(f, h + 16, s.size_of_raw_data.value_or(static_cast<uint32_t>(s.data.size())));
    put_u32(f, h + 20, raw_offset(i));
    put_u32(f, h + 36, s.characteristics);
  }
  for (size_t i = 0; i < sections.size(); ++i)
    put_bytes(f, raw_offset(i), sections[i].data.data(), sections[i].data.size());
  return f;
}

Image simple_dll(const ExportTable& table, bool pe32_plus) {
  Image image;
  image.pe32_plus = pe32_plus;
  Section& text = image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
  text.characteristics = 0x60000020;  // code, executable, readable
  image.add_exports(table);
  return image;
}

void patch_u16(Bytes& file, uint32_t offset, uint16_t value) { put_u16(file, offset, value); }
void patch_u32(Bytes& file, uint32_t offset, uint32_t value) { put_u32(file, offset, value); }
void patch(Bytes& file, uint32_t offset, const std::string& bytes) {
  put_bytes(file, offset, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace pe_fixture
