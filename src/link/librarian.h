// One run of LINK: command line in, .lib and .exp out, one line of result.
#ifndef LINK_LIBRARIAN_H
#define LINK_LIBRARIAN_H

#include <cstdio>
#include <string>
#include <vector>

namespace librarian {

// Runs LINK with `args` (without the program name): the banner, the success
// line and -verbose notes go to `out`, warnings and errors to `err`. Returns
// the exit status: 0 when both files were written, 1 otherwise.
int run_librarian(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace librarian

#endif  // LINK_LIBRARIAN_H
