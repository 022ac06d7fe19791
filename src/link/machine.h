// The target machines LINK knows: the name on the command line, the COFF
// machine number and what the import members need to know about it.
#ifndef LINK_MACHINE_H
#define LINK_MACHINE_H

#include <cstdint>
#include <string>

namespace librarian {

struct Machine {
  const char* label;       // how messages name it
  uint16_t coff;           // IMAGE_FILE_MACHINE_*
  bool supported;          // false: known, but LINK writes no library for it
  bool is64;               // pointer size 8
  uint16_t addr32nb;       // the image-relative 32-bit relocation type
  bool c_underscore;       // C names get a leading underscore (x86 only)
};

// Looks up a `-machine:` value, case-insensitively; nullptr for an unknown one.
const Machine* find_machine(const std::string& value);

// The machine assumed without `-machine:`.
const Machine& default_machine();

// The values `-machine:` takes, for messages.
const char* machine_values();

}  // namespace librarian

#endif  // LINK_MACHINE_H
