#include "import_naming.h"

namespace librarian {

namespace {

bool already_decorated(const std::string& name) {
  if (name.empty()) return false;
  if (name[0] == '?' || name[0] == '@') return true;
  return name[0] == '_' && name.find('@') != std::string::npos;
}

}  // namespace

std::string import_symbol(const std::string& name, const Machine& machine) {
  if (!machine.c_underscore || already_decorated(name)) return name;
  return "_" + name;
}

NameType import_name_type(const std::string& name, const Machine& machine) {
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
