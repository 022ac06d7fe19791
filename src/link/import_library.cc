#include "import_library.h"

#include <unordered_map>
#include <vector>

#include "archive_writer.h"
#include "import_naming.h"
#include "short_import.h"
#include "special_members.h"

namespace librarian {

namespace {

constexpr size_t kMaxMembers = 65535;  // the second linker member counts them in 16 bits
constexpr size_t kSpecialMembers = 3;

ShortImport short_import_for(const ModuleDefinition& def, const ExportTable& table,
                             const Machine& machine, size_t i) {
  const Export& e = def.exports[i];
  ShortImport imp;
  imp.machine = machine.coff;
  imp.prefix = import_symbol_prefix(e.name, machine);
  imp.name = e.name;
  imp.dll_name = def.dll_name;
  imp.type = e.data ? kImportData : kImportCode;
  if (e.noname) {
    imp.name_type = kNameOrdinal;
    imp.ordinal_or_hint = table.ordinal[i];
  } else {
    imp.name_type = import_name_type(e.name, machine);
    imp.ordinal_or_hint = table.hint[i];
  }
  return imp;
}

}  // namespace

bool check_import_library(const ModuleDefinition& def, const Machine& machine,
                          std::string* error, int* line) {
  *line = 0;
  size_t imports = 0;
  for (const Export& e : def.exports) imports += !e.is_private;
  if (imports + kSpecialMembers > kMaxMembers) {
    *error = "too many exports for one import library (" + std::to_string(imports) +
             "; at most " + std::to_string(kMaxMembers - kSpecialMembers) + ")";
    return false;
  }
  // Names are distinct, so symbols can only meet where a prefix is added.
  bool prefixes = false;
  for (const Export& e : def.exports) prefixes |= *import_symbol_prefix(e.name, machine) != '\0';
  if (!prefixes) return true;
  std::unordered_map<std::string, const Export*> by_symbol;
  by_symbol.reserve(imports);
  for (const Export& e : def.exports) {
    if (e.is_private) continue;
    auto [it, fresh] = by_symbol.emplace(import_symbol_prefix(e.name, machine) + e.name, &e);
    if (!fresh) {  // exports come in .def order: `e` is the later one
      *line = e.line;
      *error = "'" + e.name + "' and '" + it->second->name + "' (line " +
               std::to_string(it->second->line) + ") would both be the symbol '" + it->first + "'";
      return false;
    }
  }
  return true;
}

void write_import_library(const ModuleDefinition& def, const ExportTable& table,
                          const Machine& machine, Bytes* out) {
  const std::string& dll = def.dll_name;
  const std::string special[kSpecialMembers] = {write_import_descriptor(dll, machine),
                                                write_null_import_descriptor(machine),
                                                write_null_thunk(dll, machine)};
  ArchiveWriter archive;
  archive.add_member(dll, special[0].size());
  archive.add_symbol({import_descriptor_symbol(dll)});
  archive.add_member(dll, special[1].size());
  archive.add_symbol({null_import_descriptor_symbol()});
  archive.add_member(dll, special[2].size());
  archive.add_symbol({null_thunk_symbol(dll)});

  // Each short import is made twice, small and on the stack: once for its
  // size, once for its bytes as the archive is written.
  std::vector<uint32_t> export_of;  // per short import member
  export_of.reserve(def.exports.size());
  for (size_t i = 0; i < def.exports.size(); ++i) {
    const Export& e = def.exports[i];
    if (e.is_private) continue;
    const ShortImport imp = short_import_for(def, table, machine, i);
    archive.add_member(dll, short_import_size(imp));
    archive.add_symbol({"__imp_", imp.prefix, imp.name});
    if (!e.data) archive.add_symbol({imp.prefix, imp.name});
    export_of.push_back(static_cast<uint32_t>(i));
  }
  archive.write(
      [&](size_t member, Bytes* bytes) {
        if (member < kSpecialMembers) return bytes->append(special[member]);
        write_short_import(short_import_for(def, table, machine, export_of[member - kSpecialMembers]),
                           bytes);
      },
      out);
}

}  // namespace librarian
