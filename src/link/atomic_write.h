// Writes files so that a failed run leaves none of them behind, half
// written or otherwise: each goes to a fresh temporary file beside its
// target, written as they are made, and only when all are complete are they
// renamed into place.
#ifndef LINK_ATOMIC_WRITE_H
#define LINK_ATOMIC_WRITE_H

#include <functional>
#include <string>
#include <vector>

#include "bytes.h"

namespace librarian {

struct OutputFile {
  std::string path;
  std::function<void(Bytes* out)> write;  // stores the file's bytes in `out`
};

// False with `error` set (naming the file) when a file cannot be written;
// then no temporary file is left and none of the new files stays in place.
bool write_files_atomically(const std::vector<OutputFile>& files, std::string* error);

}  // namespace librarian

#endif  // LINK_ATOMIC_WRITE_H
