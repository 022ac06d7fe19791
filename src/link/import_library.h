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

// False with `error` set when the library cannot hold the exports.
bool check_import_library(const ModuleDefinition& def, std::string* error);

// Stores the library's bytes in `out`; check_import_library comes first.
void write_import_library(const ModuleDefinition& def, const ExportTable& table,
                          const Machine& machine, Bytes* out);

}  // namespace librarian

#endif  // LINK_IMPORT_LIBRARY_H
