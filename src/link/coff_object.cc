#include "coff_object.h"

#include "bytes.h"

namespace librarian {

namespace {

constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kRelocationSize = 10;
constexpr size_t kSymbolSize = 18;
constexpr uint32_t kMaxRelocationCount = 0xffff;

}  // namespace

void write_coff_object(const CoffObject& object, Bytes* out) {
  // Raw data of each section, then its relocations, in section order.
  size_t offset = kFileHeaderSize + kSectionHeaderSize * object.sections.size();
  std::vector<uint32_t> data_at, relocs_at;
  for (const CoffSection& s : object.sections) {
    data_at.push_back(static_cast<uint32_t>(offset));
    offset += s.data.size();
    relocs_at.push_back(static_cast<uint32_t>(offset));
    // More than 0xffff relocations: the count goes into an extra first entry.
    size_t n = s.relocations.size();
    if (n >= kMaxRelocationCount) ++n;
    offset += n * kRelocationSize;
  }
  size_t symbols_at = offset;

  out->u16(object.machine);
  out->u16(static_cast<uint16_t>(object.sections.size()));
  out->u32(0);  // TimeDateStamp
  out->u32(static_cast<uint32_t>(symbols_at));
  out->u32(static_cast<uint32_t>(object.symbols.size()));
  out->u16(0);  // SizeOfOptionalHeader
  out->u16(object.characteristics);

  for (size_t i = 0; i < object.sections.size(); ++i) {
    const CoffSection& s = object.sections[i];
    size_t n = s.relocations.size();
    uint32_t characteristics = s.characteristics;
    if (n >= kMaxRelocationCount) characteristics |= kScnRelocOverflow;
    out->fixed(s.name, 8);
    out->u32(0);  // VirtualSize
    out->u32(0);  // VirtualAddress
    out->u32(static_cast<uint32_t>(s.data.size()));
    out->u32(s.data.empty() ? 0 : data_at[i]);
    out->u32(n ? relocs_at[i] : 0);
    out->u32(0);  // PointerToLinenumbers
    out->u16(static_cast<uint16_t>(n >= kMaxRelocationCount ? kMaxRelocationCount : n));
    out->u16(0);  // NumberOfLinenumbers
    out->u32(characteristics);
  }
  for (const CoffSection& s : object.sections) {
    out->append(s.data);
    if (s.relocations.size() >= kMaxRelocationCount) {
      out->u32(static_cast<uint32_t>(s.relocations.size() + 1));
      out->u32(0);
      out->u16(0);
    }
    for (const Relocation& r : s.relocations) {
      out->u32(r.offset);
      out->u32(r.symbol);
      out->u16(r.type);
    }
  }
  // Names longer than 8 bytes go to the string table after the symbols.
  uint32_t strings_size = 4;
  for (const CoffSymbol& sym : object.symbols) {
    if (sym.name.size() <= 8) {
      out->fixed(sym.name, 8);
    } else {
      out->u32(0);
      out->u32(strings_size);
      strings_size += static_cast<uint32_t>(sym.name.size() + 1);
    }
    out->u32(sym.value);
    out->u16(static_cast<uint16_t>(sym.section));
    out->u16(0);  // Type
    out->u8(sym.storage_class);
    out->u8(0);   // NumberOfAuxSymbols
  }
  out->u32(strings_size);
  for (const CoffSymbol& sym : object.symbols) {
    if (sym.name.size() > 8) out->cstr(sym.name);
  }
}

std::string coff_object_bytes(const CoffObject& object) {
  Bytes out;
  write_coff_object(object, &out);
  return out.take();
}

}  // namespace librarian
