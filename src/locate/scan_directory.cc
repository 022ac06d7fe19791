// The directory scan: every file of the pattern's directory whose name
// matches is handed to process_file; with -s every subdirectory below is
// scanned the same way, depth first. Links to directories are not descended
// into, so a link back up the tree cannot make the scan run forever.
#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "locate/split_path.h"
#include "platform/win32.h"
#include "vortane/vortane.h"

namespace {

// What one level of the scan owns: the drive and directory of its pattern
// (empty, or ending with a separator or the drive's ':') and the name pattern.
constexpr size_t kPrefixCapacity = 262;
constexpr size_t kNamePatternCapacity = 514;

struct FileEntry {
  std::string name;
  bool is_directory = false;
};

bool is_dot_name(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Match pass: every entry that matches the pattern, in enumeration order.
std::vector<FileEntry> collect_matches(const char* pattern, const std::string& dir_prefix) {
  std::vector<FileEntry> matches;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return matches;
  for (;;) {
    bool is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (option_set(OPT_TRACE)) {
      std::printf(is_directory ? " Directory file: %s%s\n" : " Found file: %s%s\n",
                  dir_prefix.c_str(), data.cFileName);
    }
    try {
      matches.emplace_back();
    } catch (const std::bad_alloc&) {
      out_of_memory("?Can't get memory for file element - Too many files?\n");
    }
    matches.back().is_directory = is_directory;
    try {
      matches.back().name = data.cFileName;
    } catch (const std::bad_alloc&) {
      out_of_memory("?Can't get memory for file name - Too many files?\n");
    }
    if (!FindNextFileA(find, &data)) {
      DWORD code = GetLastError();
      if (code != ERROR_NO_MORE_FILES) {
        std::printf("?FindNext error: %lu\n", static_cast<unsigned long>(code));
        note_failure();
      }
      FindClose(find);
      return matches;
    }
  }
}

// Subdirectory pass: every directory below `dir_prefix` but "." and ".." and
// links, in the order of the "*.*" enumeration, scanned with `name_pattern`.
void scan_subdirectories(std::string& dir_prefix, const std::string& name_pattern) {
  const size_t prefix_length = dir_prefix.size();
  try {
    dir_prefix += "*.*";
  } catch (const std::bad_alloc&) {
    out_of_memory("?Can't get memory for buffer\n");
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(dir_prefix.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    DWORD attributes = data.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || is_dot_name(data.cFileName)) continue;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // a link: never followed
    try {
      dir_prefix.resize(prefix_length);
      dir_prefix += data.cFileName;
    } catch (const std::bad_alloc&) {
      out_of_memory("?Can't get memory for buffer\n");
    }
    if (option_set(OPT_TRACE)) std::printf(" Doing subdirectory: %s\n", dir_prefix.c_str());
    try {
      dir_prefix += platform::kPathSeparator;
      dir_prefix += name_pattern;
    } catch (const std::bad_alloc&) {
      out_of_memory("?Can't get memory for buffer\n");
    }
    scan_directory(dir_prefix.c_str());
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

}  // namespace

int scan_directory(const char* pattern) {
  if (option_set(OPT_TRACE)) std::printf(" Searching for: %s\n", pattern);

  PathParts parts;
  try {
    parts = split_path(pattern);
  } catch (const std::bad_alloc&) {
    out_of_memory("?Can't get memory for buffer\n");
  }

  std::string dir_prefix;
  try {
    dir_prefix.reserve(std::max(kPrefixCapacity, parts.drive.size() + parts.directory.size() + 4));
    dir_prefix = parts.drive;
    dir_prefix += parts.directory;
  } catch (const std::bad_alloc&) {
    out_of_memory("?Can't get memory for buffer\n");
  }

  std::string name_pattern;
  try {
    name_pattern.reserve(
        std::max(kNamePatternCapacity, parts.base_name.size() + parts.extension.size() + 1));
    name_pattern = parts.base_name;
    name_pattern += parts.extension;
  } catch (const std::bad_alloc&) {
    out_of_memory("?Can't get memory for filename buffer\n");
  }

  {
    // Processing pass: the files, in match order; directories are passed
    // over. The list is gone before the scan descends.
    std::vector<FileEntry> matches = collect_matches(pattern, dir_prefix);
    for (const FileEntry& entry : matches) {
      if (!entry.is_directory) process_file(dir_prefix.c_str(), entry.name.c_str());
    }
  }

  if (option_set(OPT_SUBDIRS)) scan_subdirectories(dir_prefix, name_pattern);
  return RESULT_OK;
}
