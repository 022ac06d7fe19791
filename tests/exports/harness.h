// Runs vortane on one fixture in a fresh directory, with a LINK beside it
// that records that it ran, and keeps what the run left behind.
#ifndef VORTANE_TESTS_EXPORTS_HARNESS_H
#define VORTANE_TESTS_EXPORTS_HARNESS_H

#include <string>
#include <vector>

#include "blackbox.h"
#include "pe_writer.h"

namespace harness {

struct Outcome {
  std::string path;                // full path of the fixture
  std::string out;                 // stdout, the first "Processing" lines taken off
  int status = -1;
  std::vector<std::string> files;  // what the directory holds afterwards
  std::string def;                 // the .def file's bytes, when one was left
  bool linker_ran = false;
};

// `file_name` holds `bytes`; vortane runs with `args` and then `spec`
// (default: `file_name`).
// `existing` names files to create beforehand as "name=content" (a name
// ending in '/' is made a directory).
Outcome run(const pe_fixture::Bytes& bytes, const std::vector<std::string>& args,
            const std::string& file_name = "x.dll", const std::vector<std::string>& existing = {},
            const std::string& spec = "");

}  // namespace harness

#endif  // VORTANE_TESTS_EXPORTS_HARNESS_H
