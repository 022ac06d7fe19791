// Switch parsing: every switch on the line is read into the option word
// before the first file spec is taken up.
#include <cstdio>

#include "cli/cli.h"
#include "platform/win32.h"
#include "vortane/vortane.h"

namespace {

// Folds only the letters A to Z; every other byte keeps its value.
unsigned char fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

int parse_switches(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!platform::is_switch_prefix(arg[0])) continue;
    // One switch per argument: the character right after the prefix (the
    // terminating NUL for a bare prefix); the rest is ignored.
    unsigned char c = fold(static_cast<unsigned char>(arg[1]));
    switch (c) {
      case 'e': option_word ^= OPT_LIST_EXPORTS; break;
      case 'f': option_word ^= OPT_REAL_NAME; break;
      case 'k': option_word ^= OPT_LOCAL_ONLY; break;
      case 'l': option_word ^= OPT_LOG; break;
      case 'm': option_word ^= OPT_MAKE_LIB; break;
      case 'r': option_word ^= OPT_SHOW_HEADER; break;
      case 's': option_word ^= OPT_SUBDIRS; break;
      case 'x': option_word ^= OPT_TRACE; break;
      case '?':
      case 'h':
        show_banner(false);
        return PARSE_TEXT_SHOWN;
      case 'v':
        show_banner(true);
        return PARSE_TEXT_SHOWN;
      default:
        std::putchar('\n');
        // Printed in pieces so that a NUL switch character reaches the
        // console as the zero byte it is.
        std::fputs("?Invalid switch '", stdout);
        std::putchar(c);
        std::fputs("' - Use ? for help\n", stdout);
        return PARSE_INVALID;
    }
  }
  return PARSE_GO_ON;
}
