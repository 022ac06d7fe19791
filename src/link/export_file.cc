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

void write_export_file(const ModuleDefinition& def, const ExportTable& table,
                       const Machine& machine, Bytes* out) {
  const std::vector<Export>& exports = def.exports;
  const uint32_t functions_at = kDirectorySize;
  const uint32_t names_at = functions_at + 4 * table.count;
  const uint32_t ordinals_at = names_at + 4 * static_cast<uint32_t>(table.sorted.size());
  uint32_t strings_at = ordinals_at + 2 * static_cast<uint32_t>(table.sorted.size());
  strings_at += strings_at & 1;

  // Strings: the DLL name, the export names in sorted order, forwarding texts.
  uint32_t strings_end = strings_at;
  const uint32_t dll_name_at = strings_end;
  strings_end += static_cast<uint32_t>(def.dll_name.size() + 1);
  std::vector<uint32_t> name_at(exports.size(), 0);
  for (uint32_t i : table.sorted) {
    name_at[i] = strings_end;
    strings_end += static_cast<uint32_t>(exports[i].name.size() + 1);
  }
  std::vector<uint32_t> forward_at(exports.size(), 0);
  for (size_t i = 0; i < exports.size(); ++i) {
    if (!exports[i].forward) continue;
    forward_at[i] = strings_end;
    strings_end += static_cast<uint32_t>(exports[i].internal.size() + 1);
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
  rel.reserve(4 + table.count + table.sorted.size());
  const uint16_t type = machine.addr32nb;

  Bytes d;
  d.reserve(strings_end + 4);
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
  // One undefined symbol per distinct internal name. Their names stand in
  // one buffer, sized up front so that the views into it stay valid.
  size_t symbol_names_size = 0;
  for (const Export& e : exports) {
    if (!e.forward) symbol_names_size += 1 + (e.internal.empty() ? e.name : e.internal).size();
  }
  std::string symbol_names;
  symbol_names.reserve(symbol_names_size);
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
    const std::string& internal = e.internal.empty() ? e.name : e.internal;
    const size_t start = symbol_names.size();
    symbol_names += import_symbol_prefix(internal, machine);
    symbol_names += internal;
    const std::string_view name(symbol_names.data() + start, symbol_names.size() - start);
    auto it = symbol_index.emplace(name, static_cast<uint32_t>(o.symbols.size()));
    if (it.second) {
      o.symbols.push_back({name, 0, 0, kClassExternal});
    } else {
      symbol_names.resize(start);  // an internal name already there
    }
    rel.push_back({at, it.first->second, type});
    d.u32(0);
  }
  for (uint32_t i : table.sorted) {
    rel.push_back({static_cast<uint32_t>(d.size()), kEdataSymbol, type});
    d.u32(name_at[i]);
  }
  for (uint32_t i : table.sorted) d.u16(static_cast<uint16_t>(table.ordinal[i] - table.base));
  d.align(2);
  d.cstr(def.dll_name);
  for (uint32_t i : table.sorted) d.cstr(exports[i].name);
  for (const Export& e : exports) {
    if (e.forward) d.cstr(e.internal);
  }
  d.align(4);
  s.data = d.take();
  o.sections.push_back(std::move(s));
  write_coff_object(o, out);
}

}  // namespace librarian
