// The export file (.exp): a COFF object whose .edata section holds the DLL's
// export table: directory, address table, name pointer and ordinal tables,
// the names and the forwarding texts. The address table refers to the
// exported symbols through relocations, so that linking the DLL with this
// object fills it in.
#ifndef LINK_EXPORT_FILE_H
#define LINK_EXPORT_FILE_H

#include <string>

#include "bytes.h"
#include "export_table.h"
#include "machine.h"
#include "module_definition.h"

namespace librarian {

// Stores the export file's bytes in `out`.
void write_export_file(const ModuleDefinition& def, const ExportTable& table,
                       const Machine& machine, Bytes* out);

}  // namespace librarian

#endif  // LINK_EXPORT_FILE_H
