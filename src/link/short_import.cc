#include "short_import.h"

#include "bytes.h"

namespace librarian {

std::string write_short_import(const ShortImport& import) {
  Bytes out;
  out.reserve(20 + import.symbol.size() + import.dll_name.size() + 2);
  out.u16(0);       // Sig1: IMAGE_FILE_MACHINE_UNKNOWN
  out.u16(0xffff);  // Sig2
  out.u16(0);       // Version
  out.u16(import.machine);
  out.u32(0);       // TimeDateStamp
  out.u32(static_cast<uint32_t>(import.symbol.size() + 1 + import.dll_name.size() + 1));
  out.u16(import.ordinal_or_hint);
  out.u16(static_cast<uint16_t>(import.type | (import.name_type << 2)));
  out.cstr(import.symbol);
  out.cstr(import.dll_name);
  return out.take();
}

}  // namespace librarian
