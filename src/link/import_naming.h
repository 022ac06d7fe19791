// How an export's name becomes the symbol callers link against, and the name
// type that tells the loader's side of the linker how to get the export
// name back from that symbol.
//
// On x86, C names carry a leading underscore: a plain name gets one and the
// NOPREFIX name type strips it again. A name that begins with '?' (C++) or
// '@' (fastcall), or with '_' and holds an '@' (stdcall as MSVC exports it),
// is already decorated and is its own symbol. Other machines use the name as
// it stands. Either way the loader asks the DLL for exactly the listed name.
#ifndef LINK_IMPORT_NAMING_H
#define LINK_IMPORT_NAMING_H

#include <cstdint>
#include <string>
#include <string_view>

#include "machine.h"

namespace librarian {

enum NameType : uint16_t {
  kNameOrdinal = 0,
  kNameName = 1,
  kNameNoPrefix = 2,
  kNameUndecorate = 3,
};

// What goes before `name` to make its symbol: "_" or nothing.
const char* import_symbol_prefix(std::string_view name, const Machine& machine);

// The C-level symbol for `name` (an export name or an internal name).
std::string import_symbol(std::string_view name, const Machine& machine);

// The name type for an export imported by name.
NameType import_name_type(std::string_view name, const Machine& machine);

// The name the loader will look up for `symbol` imported with `type`
// (what a linker does with the short import member).
std::string name_looked_up(const std::string& symbol, NameType type);

}  // namespace librarian

#endif  // LINK_IMPORT_NAMING_H
