// The export table a .def file describes, as the DLL holds it: every export
// with its ordinal, and the named ones in the loader's sorted order.
#ifndef LINK_EXPORT_TABLE_H
#define LINK_EXPORT_TABLE_H

#include <cstdint>
#include <string>
#include <vector>

#include "module_definition.h"

namespace librarian {

struct ExportTable {
  uint32_t base = 1;                 // the lowest ordinal
  uint32_t count = 0;                // address table entries: highest ordinal - base + 1
  std::vector<uint16_t> ordinal;     // per export of the .def, in .def order
  std::vector<uint32_t> sorted;      // indices of the named exports, sorted by name
  std::vector<uint16_t> hint;        // per export: its index in `sorted` (0 for NONAME)
};

// Ordinals given in the .def stay; the others take the free ones from the
// lowest given ordinal (or 1) upwards, in .def order. False with `error` set
// when there are more exports than ordinals.
bool make_export_table(const ModuleDefinition& def, ExportTable* table, std::string* error);

}  // namespace librarian

#endif  // LINK_EXPORT_TABLE_H
