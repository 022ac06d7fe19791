// The directory enumeration (FindFirstFileA, FindNextFileA, FindClose) with
// Windows semantics on POSIX:
//  - the last component of the pattern is matched as Windows matches it:
//    '*' and '?' with the DOS rules of the Win32 layer ("*.*" matches every
//    name, with or without a dot; '?' matches no character before a '.' or at
//    the end of the name), ASCII letters without regard to case;
//  - "." and ".." come first, as NTFS returns them; every other entry follows
//    sorted by its upper-cased bytes, so the order never depends on the
//    file system's own order;
//  - a directory carries FILE_ATTRIBUTE_DIRECTORY; a symbolic link carries
//    FILE_ATTRIBUTE_REPARSE_POINT as well, and the directory bit when it
//    leads to a directory, as Windows marks directory symlinks and junctions.
// The directory is read whole when the enumeration is opened, so an open
// enumeration holds no descriptor of the host.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/posix_common.h"
#include "platform/win32.h"

#ifdef NAME_MAX
static_assert(NAME_MAX < sizeof(WIN32_FIND_DATAA{}.cFileName),
              "every name the host allows fits into cFileName");
#endif

namespace posix {

namespace {

// One element of a translated pattern.
enum class Token { kLiteral, kStar, kDosStar, kDosQm, kDosDot };

struct Element {
  Token token;
  unsigned char c;  // kLiteral only, upper-cased
};

unsigned char upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c; }

// The translation the Win32 layer makes before it hands a pattern to the
// file system: '?' is DOS_QM; '*' before '.' is DOS_STAR; '.' before '?' or
// '*', or at the end, is DOS_DOT.
std::vector<Element> translate(const std::string& pattern) {
  std::vector<Element> out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '?') {
      out.push_back({Token::kDosQm, 0});
    } else if (c == '*') {
      out.push_back({next == '.' ? Token::kDosStar : Token::kStar, 0});
    } else if (c == '.' && (next == '?' || next == '*' || next == '\0')) {
      out.push_back({Token::kDosDot, 0});
    } else {
      out.push_back({Token::kLiteral, upper(static_cast<unsigned char>(c))});
    }
  }
  return out;
}

// Adds `p` to `states` with every position that follows from it without
// taking a character, when the name stands at `i` (of `n`; `at` is the
// character there, or 0 at the end).
void add_state(const std::vector<Element>& expr, size_t p, bool at_end, unsigned char at,
               std::vector<char>* states) {
  while (p <= expr.size() && !(*states)[p]) {
    (*states)[p] = 1;
    if (p == expr.size()) return;
    Token t = expr[p].token;
    bool skips = t == Token::kStar || t == Token::kDosStar ||
                 (t == Token::kDosQm && (at_end || at == '.')) || (t == Token::kDosDot && at_end);
    if (!skips) return;
    ++p;
  }
}

}  // namespace

bool wildcard_match(const std::string& pattern, const std::string& name) {
  std::vector<Element> expr = translate(pattern);
  size_t last_dot = name.rfind('.');
  size_t n = name.size();
  std::vector<char> states(expr.size() + 1, 0), next(expr.size() + 1, 0);
  add_state(expr, 0, n == 0, n ? static_cast<unsigned char>(name[0]) : 0, &states);
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool next_end = i + 1 == n;
    unsigned char next_c = next_end ? 0 : static_cast<unsigned char>(name[i + 1]);
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (size_t p = 0; p < expr.size(); ++p) {
      if (!states[p]) continue;
      const Element& e = expr[p];
      size_t to = SIZE_MAX;
      switch (e.token) {
        case Token::kStar:
          to = p;
          break;
        case Token::kDosStar:
          // Takes any character but the last '.' of the name.
          if (i != last_dot) to = p;
          break;
        case Token::kDosQm:
          if (c != '.') to = p + 1;
          break;
        case Token::kDosDot:
          if (c == '.') to = p + 1;
          break;
        case Token::kLiteral:
          if (upper(c) == e.c) to = p + 1;
          break;
      }
      if (to != SIZE_MAX) {
        add_state(expr, to, next_end, next_c, &next);
        any = true;
      }
    }
    if (!any) return false;
    states.swap(next);
  }
  return states[expr.size()] != 0;
}

bool name_before(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = upper(static_cast<unsigned char>(a[i]));
    unsigned char y = upper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // names equal but for case: a fixed order still
}

}  // namespace posix

namespace {

constexpr unsigned kFindMagic = 0x46494E44;  // "FIND"

struct FoundEntry {
  std::string name;
  DWORD attributes;
  uint64_t size;
};

struct FindHandle {
  unsigned magic = kFindMagic;
  std::vector<FoundEntry> entries;
  size_t next = 0;      // the entry FindNextFileA hands out next
  DWORD end_code = ERROR_NO_MORE_FILES;  // what the end of the list reports
};

bool is_dot_name(const std::string& name) { return name == "." || name == ".."; }

// Fills the entry's attributes and size from the host, seen from `dir_fd`.
void describe(int dir_fd, FoundEntry* e) {
  e->attributes = FILE_ATTRIBUTE_NORMAL;
  e->size = 0;
  struct stat st;
  if (fstatat(dir_fd, e->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
  bool is_link = S_ISLNK(st.st_mode);
  if (is_link) {
    struct stat target;
    if (fstatat(dir_fd, e->name.c_str(), &target, 0) == 0) st = target;
  }
  DWORD a = 0;
  if (S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
  if (is_link) a |= FILE_ATTRIBUTE_REPARSE_POINT;
  e->attributes = a ? a : FILE_ATTRIBUTE_NORMAL;
  e->size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
}

// Copies entry `e` into the find data; false when its name does not fit.
bool deliver(const FoundEntry& e, WIN32_FIND_DATAA* data) {
  if (e.name.size() >= sizeof data->cFileName) return false;
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = e.attributes;
  data->nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(e.size & 0xFFFFFFFFu);
  std::memcpy(data->cFileName, e.name.c_str(), e.name.size() + 1);
  return true;
}

// Hands out the handle's next entry, or reports the end of the list (or a
// name too long for the find data) through the last error.
BOOL deliver_next(FindHandle* h, WIN32_FIND_DATAA* data) {
  if (h->next >= h->entries.size()) {
    SetLastError(h->end_code);
    return FALSE;
  }
  const FoundEntry& e = h->entries[h->next];
  if (!deliver(e, data)) {
    // Never cut a name: the enumeration ends here with an error.
    h->next = h->entries.size();
    h->end_code = ERROR_FILENAME_EXCED_RANGE;
    SetLastError(h->end_code);
    return FALSE;
  }
  ++h->next;
  return TRUE;
}

FindHandle* live_handle(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  auto* f = static_cast<FindHandle*>(h);
  return f->magic == kFindMagic ? f : nullptr;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, WIN32_FIND_DATAA* lpFindFileData) {
  try {
    std::string path = posix::host_path(lpFileName);
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    std::string mask = slash == std::string::npos ? path : path.substr(slash + 1);
    if (mask.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }

    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
      int err = errno;
      SetLastError(err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                   : posix::error_from_errno(err, dir));
      return INVALID_HANDLE_VALUE;
    }
    std::unique_ptr<FindHandle> h;
    std::vector<FoundEntry> dots;
    try {
      h.reset(new FindHandle);
      errno = 0;
      while (dirent* e = readdir(d)) {
        if (posix::wildcard_match(mask, e->d_name)) {
          FoundEntry found{e->d_name, 0, 0};
          describe(dirfd(d), &found);
          (is_dot_name(found.name) ? dots : h->entries).push_back(std::move(found));
        }
        errno = 0;
      }
      // A read error ends the enumeration with its code after the entries read.
      if (errno != 0) h->end_code = posix::error_from_errno(errno, dir);
    } catch (...) {
      closedir(d);
      throw;
    }
    closedir(d);

    std::sort(h->entries.begin(), h->entries.end(), [](const FoundEntry& a, const FoundEntry& b) {
      return posix::name_before(a.name, b.name);
    });
    std::sort(dots.begin(), dots.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.name.size() < b.name.size(); });
    h->entries.insert(h->entries.begin(), dots.begin(), dots.end());

    if (h->entries.empty() && h->end_code == ERROR_NO_MORE_FILES) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    if (!deliver_next(h.get(), lpFindFileData)) return INVALID_HANDLE_VALUE;
    return h.release();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

BOOL FindNextFileA(HANDLE hFindFile, WIN32_FIND_DATAA* lpFindFileData) {
  FindHandle* h = live_handle(hFindFile);
  if (h == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return deliver_next(h, lpFindFileData);
}

BOOL FindClose(HANDLE hFindFile) {
  FindHandle* h = live_handle(hFindFile);
  if (h == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  h->magic = 0;
  delete h;
  return TRUE;
}
