#include "import_library.h"

#include <vector>

#include "archive_writer.h"
#include "import_naming.h"
#include "short_import.h"
#include "special_members.h"

namespace librarian {

namespace {

constexpr size_t kMaxMembers = 65535;  // the second linker member counts them in 16 bits

}  // namespace

bool make_import_library(const ModuleDefinition& def, const ExportTable& table,
                         const Machine& machine, std::string* bytes, std::string* error) {
  const std::string& dll = def.dll_name;
  std::vector<ArchiveMember> members;
  members.reserve(def.exports.size() + 3);
  members.push_back({dll, write_import_descriptor(dll, machine), {import_descriptor_symbol(dll)}});
  members.push_back({dll, write_null_import_descriptor(machine), {null_import_descriptor_symbol()}});
  members.push_back({dll, write_null_thunk(dll, machine), {null_thunk_symbol(dll)}});

  for (size_t i = 0; i < def.exports.size(); ++i) {
    const Export& e = def.exports[i];
    if (e.is_private) continue;
    std::string symbol = import_symbol(e.name, machine);
    ShortImport imp;
    imp.machine = machine.coff;
    imp.symbol = symbol;
    imp.dll_name = dll;
    imp.type = e.data ? kImportData : kImportCode;
    if (e.noname) {
      imp.name_type = kNameOrdinal;
      imp.ordinal_or_hint = table.ordinal[i];
    } else {
      imp.name_type = import_name_type(e.name, machine);
      imp.ordinal_or_hint = table.hint[i];
    }
    ArchiveMember m;
    m.name = dll;
    m.data = write_short_import(imp);
    m.symbols.reserve(e.data ? 1 : 2);
    m.symbols.push_back("__imp_" + symbol);
    if (!e.data) m.symbols.push_back(std::move(symbol));
    members.push_back(std::move(m));
  }
  if (members.size() > kMaxMembers) {
    *error = "too many exports for one import library (" + std::to_string(members.size() - 3) +
             "; at most " + std::to_string(kMaxMembers - 3) + ")";
    return false;
  }
  *bytes = write_archive(members);
  return true;
}

}  // namespace librarian
