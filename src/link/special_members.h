// The three members every import library begins with: the import
// descriptor of the DLL, the null import descriptor that ends the import
// directory, and the null thunk that ends the DLL's lookup and address
// tables.
#ifndef LINK_SPECIAL_MEMBERS_H
#define LINK_SPECIAL_MEMBERS_H

#include <string>

#include "machine.h"

namespace librarian {

// The DLL's name without its last extension: `foo` for foo.dll.
std::string dll_stem(const std::string& dll_name);

std::string import_descriptor_symbol(const std::string& dll_name);
std::string null_import_descriptor_symbol();
std::string null_thunk_symbol(const std::string& dll_name);

std::string write_import_descriptor(const std::string& dll_name, const Machine& machine);
std::string write_null_import_descriptor(const Machine& machine);
std::string write_null_thunk(const std::string& dll_name, const Machine& machine);

}  // namespace librarian

#endif  // LINK_SPECIAL_MEMBERS_H
