// The run driver: switches, default mode, the linker presence check, the
// file-spec loop and the exit status.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "cli/cli.h"
#include "platform/win32.h"
#include "vortane/vortane.h"

namespace {

[[noreturn]] void run(int argc, char** argv) {
  option_word = OPT_LOG;

  int parsed = parse_switches(argc, argv);
  if (parsed != PARSE_GO_ON) std::exit(parsed - 1);

  if (!option_set(OPT_MAKE_LIB) && !option_set(OPT_LIST_EXPORTS)) option_word |= OPT_MAKE_LIB;

  if (option_set(OPT_MAKE_LIB)) {
    size_t name_part = 0;
    if (!platform::search_path(nullptr, "LINK", ".exe", &linker_path, &name_part)) {
      std::putchar('\n');
      std::printf("?Required image (%s) not in PATH\n", "LINK");
      std::exit(2);
    }
  }

  int specs = 0;
  for (int i = 1; i < argc; ++i) {
    if (platform::is_switch_prefix(argv[i][0])) continue;
    ++specs;
    if (process_spec(argv[i]) != RESULT_OK) {
      note_failure();
      break;
    }
  }

  if (specs == 0) {
    std::putchar('\n');
    std::printf("?No file name(s) specified - Use ? for help\n");
    std::exit(2);
  }
  std::exit(run_status());
}

}  // namespace

int main(int argc, char** argv) {
  // The directory scan reports its own allocation failures; any other one
  // ends the run here.
  try {
    run(argc, argv);
  } catch (const std::bad_alloc&) {
    out_of_memory("?Out of memory\n");
  }
}
