// The short import member: a 20-byte header and two strings, from which the
// linker makes the thunk and the `__imp_` pointer of one export.
#ifndef LINK_SHORT_IMPORT_H
#define LINK_SHORT_IMPORT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "import_naming.h"

namespace librarian {

enum ImportType : uint16_t { kImportCode = 0, kImportData = 1 };

struct ShortImport {
  uint16_t machine = 0;
  std::string_view symbol;    // what callers link against (without `__imp_`)
  std::string_view dll_name;
  uint16_t ordinal_or_hint = 0;
  ImportType type = kImportCode;
  NameType name_type = kNameName;
};

std::string write_short_import(const ShortImport& import);

}  // namespace librarian

#endif  // LINK_SHORT_IMPORT_H
