#include "export_table.h"

#include <algorithm>
#include <string_view>

#include "name_sort.h"

namespace librarian {

bool make_export_table(const ModuleDefinition& def, ExportTable* table, std::string* error) {
  const std::vector<Export>& exports = def.exports;
  *table = ExportTable();
  uint32_t lowest = 0;
  std::vector<bool> used(65536, false);
  for (const Export& e : exports) {
    if (e.ordinal == 0) continue;
    used[e.ordinal] = true;
    if (lowest == 0 || e.ordinal < lowest) lowest = e.ordinal;
  }
  table->base = lowest ? lowest : 1;
  table->ordinal.resize(exports.size());
  uint32_t next = table->base;
  uint32_t highest = 0;
  for (size_t i = 0; i < exports.size(); ++i) {
    uint32_t ord = exports[i].ordinal;
    if (ord == 0) {
      while (next <= 65535 && used[next]) ++next;
      if (next > 65535) {
        *error = "too many exports: no ordinal is left for '" + exports[i].name + "'";
        return false;
      }
      ord = next;
      used[next] = true;
    }
    table->ordinal[i] = static_cast<uint16_t>(ord);
    highest = std::max(highest, ord);
  }
  table->count = exports.empty() ? 0 : highest - table->base + 1;

  // The named exports: their names, and where each stands among all exports.
  std::vector<std::string_view> names;
  std::vector<uint32_t> named;
  names.reserve(exports.size());
  named.reserve(exports.size());
  for (size_t i = 0; i < exports.size(); ++i) {
    if (exports[i].noname) continue;
    names.emplace_back(exports[i].name);
    named.push_back(static_cast<uint32_t>(i));
  }
  table->sorted = sorted_order(names);
  for (uint32_t& k : table->sorted) k = named[k];
  table->hint.assign(exports.size(), 0);
  for (size_t k = 0; k < table->sorted.size(); ++k) {
    // A hint is 16 bits; past that the loader's search finds the name anyway.
    table->hint[table->sorted[k]] = static_cast<uint16_t>(k < 65536 ? k : 0);
  }
  return true;
}

}  // namespace librarian
