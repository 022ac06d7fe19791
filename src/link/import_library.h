// The import library for one DLL: the three special members, then one short
// import member per export that is not PRIVATE, in .def order.
#ifndef LINK_IMPORT_LIBRARY_H
#define LINK_IMPORT_LIBRARY_H

#include <string>

#include "bytes.h"
#include "export_table.h"
#include "machine.h"
#include "module_definition.h"

namespace librarian {

// False with `error` set when the library cannot hold the exports: too
// many of them, or two whose symbols are the same (on x86, `f@4` and `_f@4`
// both become `_f@4`), so that callers could not tell which one they get;
// `line` then names the second one's line.
bool check_import_library(const ModuleDefinition& def, const Machine& machine,
                          std::string* error, int* line);

// Stores the library's bytes in `out`; check_import_library comes first.
void write_import_library(const ModuleDefinition& def, const ExportTable& table,
                          const Machine& machine, Bytes* out);

}  // namespace librarian

#endif  // LINK_IMPORT_LIBRARY_H
