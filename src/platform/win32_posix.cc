// The Win32 file services the tool calls, with Windows semantics, on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

#include "platform/posix_common.h"
#include "platform/win32.h"

namespace posix {

namespace {
DWORD last_error = ERROR_SUCCESS;

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string parent_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}
}  // namespace

DWORD error_from_errno(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
      return is_directory(parent_of(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    default:
      return static_cast<DWORD>(err);
  }
}

DWORD fail_with_errno(const std::string& path) {
  last_error = error_from_errno(errno, path);
  return last_error;
}

std::string host_path(const char* path) {
  std::string p = path;
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

bool equal_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace posix

using posix::host_path;

DWORD GetLastError() { return posix::last_error; }
void SetLastError(DWORD code) { posix::last_error = code; }

// ---------------------------------------------------------------- search

namespace {

std::string current_directory() {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}

std::string program_directory() {
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<size_t>(n));
      size_t slash = exe.find_last_of('/');
      return slash == std::string::npos ? std::string() : exe.substr(0, slash == 0 ? 1 : slash);
    }
    buf.resize(buf.size() * 2);
  }
}

// Makes `path` absolute and removes "." and ".." components and repeated
// separators, by the text alone, as Windows forms a full path.
std::string full_path_of(const std::string& path) {
  std::string absolute = (!path.empty() && path[0] == '/') ? path : current_directory() + "/" + path;
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= absolute.size()) {
    size_t j = absolute.find('/', i);
    if (j == std::string::npos) j = absolute.size();
    std::string part = absolute.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const auto& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

// The non-empty entries of a list, split at any of `separators`.
std::vector<std::string> split_list(const char* list, const char* separators) {
  std::vector<std::string> dirs;
  std::string current;
  for (const char* p = list;; ++p) {
    if (*p == '\0' || std::strchr(separators, *p) != nullptr) {
      if (!current.empty()) dirs.push_back(current);
      current.clear();
      if (*p == '\0') break;
    } else {
      current += *p;
    }
  }
  return dirs;
}

// The program's own directory, then each directory of PATH.
std::vector<std::string> default_search_path() {
  std::vector<std::string> dirs;
  std::string own = program_directory();
  if (!own.empty()) dirs.push_back(own);
  if (const char* path = getenv("PATH")) {
    for (auto& d : split_list(path, ":")) dirs.push_back(d);
  }
  return dirs;
}

bool is_executable_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The entry of `path`'s directory whose name equals its last component
// without regard to ASCII case, as a Windows file system finds it.
bool find_ignoring_case(const std::string& path, std::string* found) {
  size_t slash = path.find_last_of('/');
  std::string dir = path.substr(0, slash == 0 ? 1 : slash);
  std::string name = path.substr(slash + 1);
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return false;
  bool hit = false;
  while (dirent* e = readdir(d)) {
    if (posix::equal_ignoring_case(e->d_name, name)) {
      *found = (dir == "/" ? "" : dir) + "/" + e->d_name;
      hit = exists(*found);
      if (hit) break;
    }
  }
  closedir(d);
  return hit;
}

// Finds `name` in one directory. Programs (the extension ".exe") are found
// under their exact name, with or without the extension, and must be
// executable files; DLLs and directories are found under any case.
bool find_in(const std::string& dir, const std::string& name, const char* extension,
             bool want_program, std::string* found) {
  // Whether the extension is added depends on the name as given ("." and
  // ".." hold a dot), not on the full path formed from it.
  size_t slash = name.find_last_of('/');
  std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
  bool add_extension = extension != nullptr && last.find('.') == std::string::npos;
  // The extension goes onto the name as typed, before the full path is
  // formed: "sub/" looks for sub/.dll, not for sub.dll.
  std::string typed = dir.empty() ? name : dir + "/" + name;
  std::string base = full_path_of(typed);
  std::string candidate = add_extension ? full_path_of(typed + extension) : base;
  if (want_program) {
    if (is_executable_file(base)) return *found = base, true;
    if (add_extension && is_executable_file(candidate)) return *found = candidate, true;
    return false;
  }
  if (exists(candidate)) return *found = candidate, true;
  return find_ignoring_case(candidate, found);
}

}  // namespace

DWORD SearchPathA(LPCSTR lpPath, LPCSTR lpFileName, LPCSTR lpExtension,
                  DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  std::string name = host_path(lpFileName);
  if (name.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  bool want_program = lpExtension != nullptr && posix::equal_ignoring_case(lpExtension, ".exe");
  std::vector<std::string> dirs;
  if (name[0] == '/') {
    dirs.push_back("");  // an absolute name is looked for where it says
  } else if (lpPath != nullptr) {
    dirs = split_list(host_path(lpPath).c_str(), ";:");
  } else {
    dirs = default_search_path();
  }
  std::string found;
  for (const auto& dir : dirs) {
    if (find_in(dir, name, lpExtension, want_program, &found)) {
      if (found.size() + 1 > nBufferLength) return static_cast<DWORD>(found.size() + 1);
      std::memcpy(lpBuffer, found.c_str(), found.size() + 1);
      if (lpFilePart) *lpFilePart = lpBuffer + found.find_last_of('/') + 1;
      return static_cast<DWORD>(found.size());
    }
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return 0;
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
  std::string path = host_path(lpFileName);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    posix::fail_with_errno(path);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  struct stat lst;
  if (lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    attributes &= ~FILE_ATTRIBUTE_NORMAL;
  }
  return attributes;
}

// ---------------------------------------------------------------- files

namespace {

struct PosixHandle {
  enum Kind { kFile, kMapping } kind;
  int fd;
  uint64_t size;  // mappings only
};

std::map<const void*, size_t>& views() {
  static std::map<const void*, size_t> mapped;
  return mapped;
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
  std::string path = host_path(lpFileName);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    posix::fail_with_errno(path);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    posix::fail_with_errno(path);
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  if (!S_ISREG(st.st_mode)) {
    // Windows opens no directory, device or pipe as a file here.
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return new PosixHandle{PosixHandle::kFile, fd, 0};
}

DWORD GetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh) {
  auto* h = static_cast<PosixHandle*>(hFile);
  struct stat st;
  if (h == nullptr || h == INVALID_HANDLE_VALUE || fstat(h->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  uint64_t size = static_cast<uint64_t>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

HANDLE CreateFileMappingA(HANDLE hFile, void*, DWORD, DWORD dwMaximumSizeHigh,
                          DWORD dwMaximumSizeLow, LPCSTR) {
  auto* h = static_cast<PosixHandle*>(hFile);
  struct stat st;
  if (h == nullptr || h == INVALID_HANDLE_VALUE || fstat(h->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  uint64_t size = (static_cast<uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
  if (size == 0) size = static_cast<uint64_t>(st.st_size);
  if (size == 0) {
    SetLastError(ERROR_FILE_INVALID);  // an empty file cannot be mapped
    return nullptr;
  }
  int fd = fcntl(h->fd, F_DUPFD_CLOEXEC, 0);  // not inherited by the linker
  if (fd < 0) {
    SetLastError(static_cast<DWORD>(errno));
    return nullptr;
  }
  return new PosixHandle{PosixHandle::kMapping, fd, size};
}

LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD, DWORD, DWORD, size_t) {
  auto* h = static_cast<PosixHandle*>(hFileMappingObject);
  if (h == nullptr || h->kind != PosixHandle::kMapping) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* base = mmap(nullptr, static_cast<size_t>(h->size), PROT_READ, MAP_PRIVATE, h->fd, 0);
  if (base == MAP_FAILED) {
    SetLastError(static_cast<DWORD>(errno));
    return nullptr;
  }
  views()[base] = static_cast<size_t>(h->size);
  return base;
}

BOOL UnmapViewOfFile(LPCVOID lpBaseAddress) {
  auto it = views().find(lpBaseAddress);
  if (it == views().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  munmap(const_cast<void*>(it->first), it->second);
  views().erase(it);
  return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
  auto* h = static_cast<PosixHandle*>(hObject);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  close(h->fd);
  delete h;
  return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName) {
  std::string path = host_path(lpFileName);
  if (unlink(path.c_str()) != 0) {
    posix::fail_with_errno(path);
    return FALSE;
  }
  return TRUE;
}

void Sleep(DWORD dwMilliseconds) {
  struct timespec ts;
  ts.tv_sec = dwMilliseconds / 1000;
  ts.tv_nsec = static_cast<long>(dwMilliseconds % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

namespace platform {

FileIdentity identity_of(HANDLE file) {
  auto* h = static_cast<PosixHandle*>(file);
  struct stat st;
  FileIdentity id;
  if (h == nullptr || h == INVALID_HANDLE_VALUE || fstat(h->fd, &st) != 0) return id;
  id.volume = static_cast<uint64_t>(st.st_dev);
  id.index = static_cast<uint64_t>(st.st_ino);
  id.known = true;
  return id;
}

FileIdentity identity_of(const char* path) {
  struct stat st;
  FileIdentity id;
  if (stat(host_path(path).c_str(), &st) != 0) return id;
  id.volume = static_cast<uint64_t>(st.st_dev);
  id.index = static_cast<uint64_t>(st.st_ino);
  id.known = true;
  return id;
}

}  // namespace platform
