// What the POSIX implementations of the Win32 subset share: the last-error
// value, the errno mapping and the path form they hand to the host.
#ifndef VORTANE_PLATFORM_POSIX_COMMON_H
#define VORTANE_PLATFORM_POSIX_COMMON_H

#include <string>

#include "platform/win32.h"

namespace posix {

// The Win32 code for an errno value: file not found 2, path not found 3,
// access denied 5; any other errno is passed on as it is. `path` tells
// "file not found" from "path not found".
DWORD error_from_errno(int err, const std::string& path);

// Sets the last error from errno and returns it.
DWORD fail_with_errno(const std::string& path);

// A path as the user typed it (either separator), in the host's form.
std::string host_path(const char* path);

// True when `a` and `b` are equal, ASCII letters compared without case.
bool equal_ignoring_case(const std::string& a, const std::string& b);

// True when `name` matches the last component of a FindFirstFileA pattern
// as Windows matches it ('*', '?', "*.*", ASCII case ignored).
bool wildcard_match(const std::string& mask, const std::string& name);

// The enumeration order: `a` before `b` by their upper-cased bytes.
bool name_before(const std::string& a, const std::string& b);

}  // namespace posix

#endif  // VORTANE_PLATFORM_POSIX_COMMON_H
