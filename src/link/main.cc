// LINK: makes an import library and an export file from a module-definition
// file, in the platform linker's library mode.
#include <cstdio>
#include <string>
#include <vector>

#include "librarian.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = librarian::run_librarian(args, stdout, stderr);
  if (std::fflush(stdout) != 0) status = 1;
  return status;
}
