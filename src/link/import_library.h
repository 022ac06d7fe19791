// The import library for one DLL: the three special members, then one short
// import member per export that is not PRIVATE, in .def order.
#ifndef LINK_IMPORT_LIBRARY_H
#define LINK_IMPORT_LIBRARY_H

#include <string>

#include "export_table.h"
#include "machine.h"
#include "module_definition.h"

namespace librarian {

// False with `error` set when the library cannot hold the exports.
bool make_import_library(const ModuleDefinition& def, const ExportTable& table,
                         const Machine& machine, std::string* bytes, std::string* error);

}  // namespace librarian

#endif  // LINK_IMPORT_LIBRARY_H
