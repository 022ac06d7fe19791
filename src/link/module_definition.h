// A module-definition (.def) file as LINK reads it, and its parser.
#ifndef LINK_MODULE_DEFINITION_H
#define LINK_MODULE_DEFINITION_H

#include <cstdint>
#include <string>
#include <vector>

namespace librarian {

struct Export {
  std::string name;       // the name the DLL exports, exactly as listed
  std::string internal;   // `name=internal`: the symbol inside the DLL; empty if none
  bool forward = false;   // `internal` is a forwarding text (`other.func`)
  uint16_t ordinal = 0;   // `@ordinal`; 0 when none was given
  bool noname = false;    // exported by ordinal only
  bool data = false;      // a variable: only `__imp_` is defined for it
  bool is_private = false;  // in the export table, not in the import library
  int line = 0;           // where the entry stands, for messages
};

struct ModuleDefinition {
  std::string dll_name;   // from LIBRARY or NAME; empty when there is neither
  bool has_base = false;
  uint64_t base = 0;      // BASE=, the preferred load address (not used for libraries)
  std::vector<Export> exports;
};

struct DefError {
  int line = 0;
  std::string message;
};

// Limits on names: a DLL name is a file name, and Windows file names have
// at most 255 characters.
constexpr size_t kMaxDllName = 255;

// Parses the text of a .def file (LF or CRLF line ends). False with `error`
// set on the first fault.
bool parse_module_definition(const std::string& text, ModuleDefinition* def, DefError* error);

}  // namespace librarian

#endif  // LINK_MODULE_DEFINITION_H
