// The banner line and the usage text.
#include <cstdio>

#include "cli/cli.h"

// Fixed when the program is built: "Dec 15 2000" and "11:26:24".
#ifndef VORTANE_BUILD_DATE
#define VORTANE_BUILD_DATE __DATE__
#endif
#ifndef VORTANE_BUILD_TIME
#define VORTANE_BUILD_TIME __TIME__
#endif

namespace {
const char kProgramName[] = "VORTANE";
const char kVersion[] = "V2.03";
}  // namespace

void show_banner(bool banner_only) {
  std::putchar('\n');
  std::printf("  %s - Version: %s   Built: %s  %s\n", kProgramName, kVersion,
              VORTANE_BUILD_DATE, VORTANE_BUILD_TIME);
  if (banner_only) return;
  std::putchar('\n');
  std::printf("  Usage is: %s [-sw -sw] filespec [filespec...]\n", kProgramName);
  std::putchar('\n');
  std::printf("  Switches are:\n");
  std::printf("    m    Make an import library [default unless -e is used]\n");
  std::printf("    e    List exports from DLL\n");
  std::printf("    f    Use DLL real filename instead of exported file name\n");
  std::printf("    r    Show DLL export header information\n");
  std::printf("    l    Toggle logging of operations (normally on)\n");
  std::printf("    k    Only search in current directory for file\n");
  std::printf("    s    Iterate over subdirectories\n");
  std::printf("    v    Display program version information\n");
  std::printf("    ?    Display this help message\n");
}
