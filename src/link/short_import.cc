#include "short_import.h"

namespace librarian {

namespace {

constexpr size_t kHeaderSize = 20;

size_t strings_size(const ShortImport& import) {
  return import.prefix.size() + import.name.size() + 1 + import.dll_name.size() + 1;
}

}  // namespace

size_t short_import_size(const ShortImport& import) { return kHeaderSize + strings_size(import); }

void write_short_import(const ShortImport& import, Bytes* out) {
  out->u16(0);       // Sig1: IMAGE_FILE_MACHINE_UNKNOWN
  out->u16(0xffff);  // Sig2
  out->u16(0);       // Version
  out->u16(import.machine);
  out->u32(0);       // TimeDateStamp
  out->u32(static_cast<uint32_t>(strings_size(import)));
  out->u16(import.ordinal_or_hint);
  out->u16(static_cast<uint16_t>(import.type | (import.name_type << 2)));
  out->append(import.prefix);
  out->cstr(import.name);
  out->cstr(import.dll_name);
}

}  // namespace librarian
