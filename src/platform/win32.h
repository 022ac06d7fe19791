// The Win32 subset the tool calls. On Windows this is the real API; on every
// other host it is our own implementation with Windows semantics
// (win32_posix.cc, find_posix.cc, process_posix.cc). Nothing outside
// src/platform/ includes an OS header: everything else reaches the host
// through this file.
#ifndef VORTANE_PLATFORM_WIN32_H
#define VORTANE_PLATFORM_WIN32_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#else  // our own layer

typedef uint32_t DWORD;
typedef int BOOL;
typedef void* HANDLE;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

constexpr DWORD MAX_PATH = 260;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD FILE_SHARE_READ = 0x01;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD FILE_MAP_READ = 0x04;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_FILE_INVALID = 1006;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

// The file search. With `lpPath` null, the default search path: the
// program's own directory, then each directory of PATH. Otherwise the
// directories listed, separated by ';' (or ':'). `lpExtension` is added when
// the last component of the name holds no '.'. Returns the length of the full
// path written to `lpBuffer` (without terminator), the size needed (with
// terminator) when `nBufferLength` is too small, or 0 when nothing is found.
DWORD SearchPathA(LPCSTR lpPath, LPCSTR lpFileName, LPCSTR lpExtension,
                  DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);

DWORD GetFileAttributesA(LPCSTR lpFileName);

HANDLE FindFirstFileA(LPCSTR lpFileName, WIN32_FIND_DATAA* lpFindFileData);
BOOL FindNextFileA(HANDLE hFindFile, WIN32_FIND_DATAA* lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   void* lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
DWORD GetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh);
HANDLE CreateFileMappingA(HANDLE hFile, void* lpAttributes, DWORD flProtect,
                          DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                          LPCSTR lpName);
LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                     DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                     size_t dwNumberOfBytesToMap);
BOOL UnmapViewOfFile(LPCVOID lpBaseAddress);
BOOL CloseHandle(HANDLE hObject);

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

BOOL DeleteFileA(LPCSTR lpFileName);
void Sleep(DWORD dwMilliseconds);

#endif  // _WIN32

// What the tool needs beyond the Win32 names, the same on every host.
namespace platform {

// The separator the tool puts into paths it composes itself.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// True for the characters that separate path components in what the user
// types: '\\' and '/' on every host.
inline bool is_path_separator(char c) { return c == '\\' || c == '/'; }

// True when an argument names a switch: '-' on every host, '/' on Windows
// only (elsewhere '/' begins an absolute path).
inline bool is_switch_prefix(char c) {
#ifdef _WIN32
  return c == '-' || c == '/';
#else
  return c == '-';
#endif
}

// SearchPathA into a string that grows as needed: the full path and the
// position of its file-name part. False when nothing is found.
bool search_path(const char* path_list, const char* file_name,
                 const char* extension, std::string* full_path,
                 size_t* file_part);

// What tells two names of one file from two files: the volume and the file's
// number on it. `known` is false when the file could not be looked at.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool known = false;
  bool operator==(const FileIdentity& o) const {
    return known && o.known && volume == o.volume && index == o.index;
  }
};
FileIdentity identity_of(HANDLE file);
FileIdentity identity_of(const char* path);

// The argument as a Windows command line writes it: as it stands when it
// holds no space, tab or double quote, else between double quotes with
// inner quotes (and the backslashes before them) escaped, so that the
// command line parses back to the same argument.
std::string quote_argument(const std::string& argument);

// Starts `program` directly (no command interpreter) with `arguments`, of
// which the first is the name the program is shown under, and waits for it
// to end. With `discard_output` its standard output and standard error go
// to the null device; otherwise both go to our standard output. True when
// it ran, with its exit status in *exit_status; false when it could not be
// started, with the system error code in *exit_status.
bool run_program(const std::string& program, const std::vector<std::string>& arguments,
                 bool discard_output, DWORD* exit_status);

}  // namespace platform

#endif  // VORTANE_PLATFORM_WIN32_H
