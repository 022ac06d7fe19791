// LINK's command line, in the platform linker's conventions: options begin
// with '-' or '/', their names are case-insensitive and a value follows a
// ':'. Library mode, `-lib` first, is the only mode.
#ifndef LINK_COMMAND_LINE_H
#define LINK_COMMAND_LINE_H

#include <string>
#include <vector>

#include "machine.h"

namespace librarian {

struct Options {
  bool nologo = false;
  bool verbose = false;
  const Machine* machine = nullptr;  // nullptr: none given
  std::string out;                   // the .lib; empty: none given
  std::string def;                   // the .def
  std::string name;                  // the DLL name when the .def has no LIBRARY
};

// Reads `args` (without the program name). False with `error` set on the
// first fault.
bool parse_command_line(const std::vector<std::string>& args, Options* options, std::string* error);

// The .lib to write: `-out:`, else the .def's name with ".lib" for its extension.
std::string library_path(const Options& options);

// The .exp beside the library: its name with its last extension replaced.
std::string export_file_path(const std::string& library_path);

}  // namespace librarian

#endif  // LINK_COMMAND_LINE_H
