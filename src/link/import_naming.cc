#include "import_naming.h"

namespace librarian {

namespace {

bool already_decorated(std::string_view name) {
  if (name.empty()) return false;
  if (name[0] == '?' || name[0] == '@') return true;
  return name[0] == '_' && name.find('@') != std::string_view::npos;
}

}  // namespace

const char* import_symbol_prefix(std::string_view name, const Machine& machine) {
  return !machine.c_underscore || already_decorated(name) ? "" : "_";
}

std::string import_symbol(std::string_view name, const Machine& machine) {
  return import_symbol_prefix(name, machine) + std::string(name);
}

NameType import_name_type(std::string_view name, const Machine& machine) {
  if (!machine.c_underscore || already_decorated(name)) return kNameName;
  return kNameNoPrefix;
}

std::string name_looked_up(const std::string& symbol, NameType type) {
  if (type == kNameName || type == kNameOrdinal) return symbol;
  std::string s = symbol;
  if (!s.empty() && (s[0] == '?' || s[0] == '@' || s[0] == '_')) s.erase(0, 1);
  if (type == kNameUndecorate) {
    size_t at = s.find('@');
    if (at != std::string::npos) s.resize(at);
  }
  return s;
}

}  // namespace librarian
