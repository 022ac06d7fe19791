// File spec resolution: a plain name is looked for along the search order
// (current directory, default search path, LIB); a directory or a wildcard
// pattern is completed and handed to the directory scan.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32.h"
#include "vortane/vortane.h"

namespace {

std::string spec_buffer;  // the spec as typed; completed in place for a scan
std::string found_path;   // the full path the search found

bool has_wildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// The three places, in order; with OPT_LOCAL_ONLY only the first.
bool search_spec(size_t* file_part) {
  if (platform::search_path(".", spec_buffer.c_str(), ".dll", &found_path, file_part)) return true;
  if (option_set(OPT_LOCAL_ONLY)) return false;
  if (platform::search_path(nullptr, spec_buffer.c_str(), ".dll", &found_path, file_part)) return true;
  const char* lib = std::getenv("LIB");
  return platform::search_path(lib, spec_buffer.c_str(), ".dll", &found_path, file_part);
}

}  // namespace

int process_spec(const char* spec) {
  if (option_set(OPT_TRACE)) std::printf("Doing spec: %s\n", spec);
  bool is_directory = false;
  spec_buffer = spec;

  if (!has_wildcard(spec_buffer)) {
    size_t file_part = 0;
    if (!search_spec(&file_part)) {
      std::putchar('\n');
      std::printf("?Can't find file: %s\n", spec_buffer.c_str());
      note_failure();
      return RESULT_FAILED;
    }
    DWORD attributes = GetFileAttributesA(found_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD code = GetLastError();
      std::printf("?Can't get attributes on file: %s\n", found_path.c_str());
      std::printf("?Error was: 0x%lx (%lu.)\n", static_cast<unsigned long>(code),
                  static_cast<unsigned long>(code));
      note_failure();
      return code != 0 ? static_cast<int>(code) : RESULT_FAILED;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      is_directory = true;
    } else {
      std::string directory = found_path.substr(0, file_part);
      std::string name = found_path.substr(file_part);
      return process_file(directory.c_str(), name.c_str());
    }
  }

  // Every wildcard pattern and every directory spec is refused with -k.
  if (option_set(OPT_LOCAL_ONLY)) {
    note_failure();
    return RESULT_FAILED;
  }

  if (is_directory) {
    spec_buffer += platform::kPathSeparator;
    spec_buffer += "*.dll";
  } else if (spec_buffer.find('.') == std::string::npos) {
    spec_buffer += ".dll";
  }
  if (option_set(OPT_TRACE)) std::printf("Looking for files: %s\n", spec_buffer.c_str());

  unsigned long opened_before = files_opened;
  int result = scan_directory(spec_buffer.c_str());
  if (files_opened != opened_before) return result;
  std::putchar('\n');
  std::printf("?No files found matching: %s\n", spec_buffer.c_str());
  note_failure();
  return RESULT_FAILED;
}
