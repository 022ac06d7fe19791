// The short import member: a 20-byte header and two strings, from which the
// linker makes the thunk and the `__imp_` pointer of one export.
#ifndef LINK_SHORT_IMPORT_H
#define LINK_SHORT_IMPORT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "bytes.h"
#include "import_naming.h"

namespace librarian {

enum ImportType : uint16_t { kImportCode = 0, kImportData = 1 };

struct ShortImport {
  uint16_t machine = 0;
  // What callers link against (without `__imp_`): `prefix` then `name`.
  std::string_view prefix;
  std::string_view name;
  std::string_view dll_name;
  uint16_t ordinal_or_hint = 0;
  ImportType type = kImportCode;
  NameType name_type = kNameName;
};

// The number of bytes of the member.
size_t short_import_size(const ShortImport& import);

// Stores the member's bytes in `out`.
void write_short_import(const ShortImport& import, Bytes* out);

}  // namespace librarian

#endif  // LINK_SHORT_IMPORT_H
