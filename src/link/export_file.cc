#include "export_file.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "bytes.h"
#include "coff_object.h"
#include "import_naming.h"

namespace librarian {

namespace {

constexpr uint32_t kDirectorySize = 40;
constexpr uint32_t kEdataSymbol = 0;
constexpr uint32_t kFeatSafeSeh = 1;
constexpr int16_t kSectionAbsolute = -1;  // IMAGE_SYM_ABSOLUTE  // the section symbol; image-relative targets inside .edata

}  // namespace

std::string write_export_file(const ModuleDefinition& def, const ExportTable& table,
                              const Machine& machine) {
  const std::vector<Export>& exports = def.exports;
  const uint32_t functions_at = kDirectorySize;
  const uint32_t names_at = functions_at + 4 * table.count;
  const uint32_t ordinals_at = names_at + 4 * static_cast<uint32_t>(table.sorted.size());
  uint32_t strings_at = ordinals_at + 2 * static_cast<uint32_t>(table.sorted.size());
  strings_at += strings_at & 1;

  // Strings: the DLL name, the export names in sorted order, forwarding texts.
  std::string strings;
  const uint32_t dll_name_at = strings_at;
  strings += def.dll_name;
  strings.push_back('\0');
  std::vector<uint32_t> name_at(exports.size(), 0);
  for (uint32_t i : table.sorted) {
    name_at[i] = strings_at + static_cast<uint32_t>(strings.size());
    strings += exports[i].name;
    strings.push_back('\0');
  }
  std::vector<uint32_t> forward_at(exports.size(), 0);
  for (size_t i = 0; i < exports.size(); ++i) {
    if (!exports[i].forward) continue;
    forward_at[i] = strings_at + static_cast<uint32_t>(strings.size());
    strings += exports[i].internal;
    strings.push_back('\0');
  }

  CoffObject o;
  o.machine = machine.coff;
  o.characteristics = machine.is64 ? 0 : kFile32BitMachine;
  o.symbols.push_back({".edata", 0, 1, kClassStatic});
  // x86 objects declare that they are safe for /SAFESEH images (they hold
  // no code); linkers refuse objects without the mark there.
  if (machine.c_underscore) o.symbols.push_back({"@feat.00", kFeatSafeSeh, kSectionAbsolute, kClassStatic});

  CoffSection s;
  s.name = ".edata";
  s.characteristics = kScnInitializedData | kScnRead | kScnAlign4;
  std::vector<Relocation>& rel = s.relocations;
  const uint16_t type = machine.addr32nb;

  Bytes d;
  d.reserve(strings_at + strings.size());
  d.u32(0);  // Characteristics
  d.u32(0);  // TimeDateStamp
  d.u16(0);  // MajorVersion
  d.u16(0);  // MinorVersion
  rel.push_back({12, kEdataSymbol, type});
  d.u32(dll_name_at);
  d.u32(table.base);
  d.u32(table.count);
  d.u32(static_cast<uint32_t>(table.sorted.size()));
  rel.push_back({28, kEdataSymbol, type});
  d.u32(functions_at);
  if (!table.sorted.empty()) {
    rel.push_back({32, kEdataSymbol, type});
    rel.push_back({36, kEdataSymbol, type});
  }
  d.u32(table.sorted.empty() ? 0 : names_at);
  d.u32(table.sorted.empty() ? 0 : ordinals_at);

  // The address table, by ordinal; holes stay 0.
  std::vector<int32_t> by_ordinal(table.count, -1);
  for (size_t i = 0; i < exports.size(); ++i) by_ordinal[table.ordinal[i] - table.base] = static_cast<int32_t>(i);
  // One undefined symbol per distinct internal name. The symbols are
  // reserved up front, so the views into their names stay valid.
  o.symbols.reserve(o.symbols.size() + exports.size());
  std::unordered_map<std::string_view, uint32_t> symbol_index;
  symbol_index.reserve(exports.size());
  for (uint32_t k = 0; k < table.count; ++k) {
    int32_t i = by_ordinal[k];
    uint32_t at = functions_at + 4 * k;
    if (i < 0) {
      d.u32(0);
      continue;
    }
    const Export& e = exports[static_cast<size_t>(i)];
    if (e.forward) {
      rel.push_back({at, kEdataSymbol, type});
      d.u32(forward_at[static_cast<size_t>(i)]);
      continue;
    }
    o.symbols.push_back({import_symbol(e.internal.empty() ? e.name : e.internal, machine), 0, 0,
                         kClassExternal});
    auto it = symbol_index.emplace(o.symbols.back().name, static_cast<uint32_t>(o.symbols.size() - 1));
    if (!it.second) o.symbols.pop_back();  // an internal name already there
    rel.push_back({at, it.first->second, type});
    d.u32(0);
  }
  for (uint32_t i : table.sorted) {
    rel.push_back({static_cast<uint32_t>(d.size()), kEdataSymbol, type});
    d.u32(name_at[i]);
  }
  for (uint32_t i : table.sorted) d.u16(static_cast<uint16_t>(table.ordinal[i] - table.base));
  d.align(2);
  d.append(strings);
  d.align(4);
  s.data = d.take();
  o.sections.push_back(std::move(s));
  return write_coff_object(o);
}

}  // namespace librarian
