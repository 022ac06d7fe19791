// Writes files so that a failed run leaves none of them behind, half
// written or otherwise: each goes to a fresh temporary file beside its
// target, and only when all are complete are they renamed into place.
#ifndef LINK_ATOMIC_WRITE_H
#define LINK_ATOMIC_WRITE_H

#include <string>
#include <vector>

namespace librarian {

struct OutputFile {
  std::string path;
  const std::string* bytes;
};

// False with `error` set (naming the file) when a file cannot be written;
// then no temporary file is left and none of the new files stays in place.
bool write_files_atomically(const std::vector<OutputFile>& files, std::string* error);

}  // namespace librarian

#endif  // LINK_ATOMIC_WRITE_H
