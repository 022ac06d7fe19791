// Fuzz target: any bytes as a DLL file, read the whole way through the
// signature checks, the export directory location and the walk (listing,
// header report and traces on; no library is made). Build and run: see
// the README's fuzzing section.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "vortane/vortane.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/vortane-fuzz-XXXXXX";
    std::string d = mkdtemp(tmpl) ? tmpl : "/tmp";
    if (!std::freopen("/dev/null", "w", stdout)) std::perror("freopen");
    option_word = OPT_LOG | OPT_TRACE | OPT_LIST_EXPORTS | OPT_SHOW_HEADER;
    return d + "/";
  }();
  std::FILE* f = std::fopen((dir + "x.dll").c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  process_file(dir.c_str(), "x.dll");
  return 0;
}
