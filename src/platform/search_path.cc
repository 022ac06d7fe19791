// SearchPathA into a string that grows as the found path needs.
#include "platform/win32.h"

namespace platform {

bool search_path(const char* path_list, const char* file_name, const char* extension,
                 std::string* full_path, size_t* file_part) {
  std::string buffer(262, '\0');
  for (;;) {
    LPSTR name_part = nullptr;
    DWORD n = SearchPathA(path_list, file_name, extension, static_cast<DWORD>(buffer.size()),
                          &buffer[0], &name_part);
    if (n == 0) return false;
    if (n < buffer.size()) {
      *file_part = name_part ? static_cast<size_t>(name_part - buffer.data()) : 0;
      buffer.resize(n);
      *full_path = buffer;
      return true;
    }
    buffer.assign(n, '\0');  // too small: n is the size needed
  }
}

}  // namespace platform
