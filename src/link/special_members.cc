#include "special_members.h"

#include "coff_object.h"

namespace librarian {

namespace {

constexpr uint32_t kImportDescriptorSize = 20;

CoffObject object_for(const Machine& machine) {
  CoffObject o;
  o.machine = machine.coff;
  o.characteristics = machine.is64 ? 0 : kFile32BitMachine;
  return o;
}

}  // namespace

std::string dll_stem(const std::string& dll_name) {
  size_t dot = dll_name.rfind('.');
  return dot == std::string::npos ? dll_name : dll_name.substr(0, dot);
}

std::string import_descriptor_symbol(const std::string& dll_name) {
  return "__IMPORT_DESCRIPTOR_" + dll_stem(dll_name);
}

std::string null_import_descriptor_symbol() { return "__NULL_IMPORT_DESCRIPTOR"; }

std::string null_thunk_symbol(const std::string& dll_name) {
  return "\x7f" + dll_stem(dll_name) + "_NULL_THUNK_DATA";
}

std::string write_import_descriptor(const std::string& dll_name, const Machine& machine) {
  CoffObject o = object_for(machine);
  const uint32_t rw = kScnInitializedData | kScnRead | kScnWrite;

  CoffSection desc;  // .idata$2: the IMAGE_IMPORT_DESCRIPTOR, filled in by relocations
  desc.name = ".idata$2";
  desc.characteristics = rw | kScnAlign4;
  desc.data.assign(kImportDescriptorSize, '\0');
  // Symbols 2, 3, 4 below: .idata$6 (the name), .idata$4 (lookup table),
  // .idata$5 (address table).
  desc.relocations = {{12, 2, machine.addr32nb}, {0, 3, machine.addr32nb}, {16, 4, machine.addr32nb}};

  CoffSection name;  // .idata$6: the DLL name, NUL-terminated, even length
  name.name = ".idata$6";
  name.characteristics = rw | kScnAlign2;
  name.data = dll_name;
  name.data.push_back('\0');
  if (name.data.size() & 1) name.data.push_back('\0');

  const std::string descriptor = import_descriptor_symbol(dll_name);
  const std::string null_descriptor = null_import_descriptor_symbol();
  const std::string null_thunk = null_thunk_symbol(dll_name);
  o.sections = {desc, name};
  o.symbols = {
      {descriptor, 0, 1, kClassExternal},
      {".idata$2", 0, 1, kClassSection},
      {".idata$6", 0, 2, kClassStatic},
      {".idata$4", 0, 0, kClassSection},
      {".idata$5", 0, 0, kClassSection},
      // Linking one import pulls the terminators in through these.
      {null_descriptor, 0, 0, kClassExternal},
      {null_thunk, 0, 0, kClassExternal},
  };
  return coff_object_bytes(o);
}

std::string write_null_import_descriptor(const Machine& machine) {
  CoffObject o = object_for(machine);
  CoffSection s;
  s.name = ".idata$3";
  s.characteristics = kScnInitializedData | kScnRead | kScnWrite | kScnAlign4;
  s.data.assign(kImportDescriptorSize, '\0');
  const std::string symbol = null_import_descriptor_symbol();
  o.sections = {s};
  o.symbols = {{symbol, 0, 1, kClassExternal}};
  return coff_object_bytes(o);
}

std::string write_null_thunk(const std::string& dll_name, const Machine& machine) {
  CoffObject o = object_for(machine);
  const size_t pointer = machine.is64 ? 8 : 4;
  const uint32_t flags = kScnInitializedData | kScnRead | kScnWrite |
                         (machine.is64 ? kScnAlign8 : kScnAlign4);
  CoffSection iat;
  iat.name = ".idata$5";
  iat.characteristics = flags;
  iat.data.assign(pointer, '\0');
  CoffSection ilt = iat;
  ilt.name = ".idata$4";
  const std::string symbol = null_thunk_symbol(dll_name);
  o.sections = {iat, ilt};
  o.symbols = {{symbol, 0, 1, kClassExternal}};
  return coff_object_bytes(o);
}

}  // namespace librarian
