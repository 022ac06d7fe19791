// A small COFF object writer: sections with raw data and relocations, a
// symbol table and its string table. Enough for the import descriptor
// members and the .exp file; no line numbers, no auxiliary symbols.
#ifndef LINK_COFF_OBJECT_H
#define LINK_COFF_OBJECT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bytes.h"

namespace librarian {

constexpr uint8_t kClassExternal = 2;   // IMAGE_SYM_CLASS_EXTERNAL
constexpr uint8_t kClassStatic = 3;     // IMAGE_SYM_CLASS_STATIC
constexpr uint8_t kClassSection = 104;  // IMAGE_SYM_CLASS_SECTION

// Section characteristics.
constexpr uint32_t kScnInitializedData = 0x00000040;
constexpr uint32_t kScnAlign2 = 0x00200000;
constexpr uint32_t kScnAlign4 = 0x00300000;
constexpr uint32_t kScnAlign8 = 0x00400000;
constexpr uint32_t kScnRelocOverflow = 0x01000000;  // IMAGE_SCN_LNK_NRELOC_OVFL
constexpr uint32_t kScnRead = 0x40000000;
constexpr uint32_t kScnWrite = 0x80000000;

// File header characteristics.
constexpr uint16_t kFile32BitMachine = 0x0100;

struct Relocation {
  uint32_t offset;   // in the section
  uint32_t symbol;   // index into the symbol table
  uint16_t type;
};

struct CoffSection {
  std::string name;  // at most 8 bytes
  uint32_t characteristics = 0;
  std::string data;
  std::vector<Relocation> relocations;
};

struct CoffSymbol {
  std::string_view name;  // held by whoever makes the object
  uint32_t value = 0;
  int16_t section = 0;  // 1-based; 0 undefined
  uint8_t storage_class = kClassExternal;
};

struct CoffObject {
  uint16_t machine = 0;
  uint16_t characteristics = 0;
  std::vector<CoffSection> sections;
  std::vector<CoffSymbol> symbols;
};

// Stores the object's bytes in `out`. Time stamp 0, so the same object gives
// the same bytes.
void write_coff_object(const CoffObject& object, Bytes* out);

// The object's bytes, in memory.
std::string coff_object_bytes(const CoffObject& object);

}  // namespace librarian

#endif  // LINK_COFF_OBJECT_H
