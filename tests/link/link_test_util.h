// Helpers shared by the LINK tests: finding the reference tools, running
// them and LINK in a scratch directory.
#ifndef VORTANE_TESTS_LINK_TEST_UTIL_H
#define VORTANE_TESTS_LINK_TEST_UTIL_H

#include <string>
#include <vector>

#include "blackbox.h"

namespace linktest {

// The full path of `tool` along PATH, or "" when it is not there.
std::string tool_path(const std::string& tool);

// Runs `tool` (found along PATH) in `cwd`. A missing tool gives status -1
// and a note in `err`.
blackbox::Result run_tool(const std::string& tool, const std::vector<std::string>& args,
                          const std::string& cwd);

// Writes `def_text` to `dir`/`stem`.def and runs
// LINK -lib -nologo -machine:`machine` -out:`stem`.lib -def:`stem`.def there.
blackbox::Result make_library(const blackbox::TempDir& dir, const std::string& stem,
                              const std::string& def_text, const std::string& machine);

// The lines of `text`, without their line ends.
std::vector<std::string> lines(const std::string& text);

// The archive symbols of `lib` as llvm-nm --print-armap lists them, sorted.
std::vector<std::string> archive_map(const blackbox::TempDir& dir, const std::string& lib);

}  // namespace linktest

#endif  // VORTANE_TESTS_LINK_TEST_UTIL_H
