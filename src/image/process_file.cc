// Opens one file, maps it whole and read-only, checks the DOS and PE
// signatures and hands the view on to the export directory location.
#include <cstdio>
#include <string>

#include "platform/win32.h"
#include "vortane/vortane.h"

namespace {

std::string full_path;
// The file open now, so that no output of the tool is written over it.
platform::FileIdentity open_image;

void print_error(const char* format, DWORD code) {
  std::printf(format, static_cast<unsigned long>(code), static_cast<unsigned long>(code));
}

// True when the view holds an NT header (its 248 bytes inside the file)
// that begins with the PE signature.
bool has_pe_header(const ImageView& view) {
  uint32_t lfanew = 0;
  if (view.size() < pe::kDosHeaderSize || !view.read_u32(pe::kOffsetLfanew, &lfanew)) return false;
  if (!view.contains(lfanew, pe::kNtHeaderProbeSize)) return false;
  return view.u32(lfanew) == pe::kPeSignature;
}

}  // namespace

bool is_current_image(const char* path) {
  return open_image.known && platform::identity_of(path) == open_image;
}

int process_file(const char* directory, const char* file_name) {
  full_path = directory;
  full_path += file_name;

  if (option_set(OPT_LOG)) {
    std::putchar('\n');
    std::printf("   Processing:     %s\n", full_path.c_str());
    std::putchar('\n');
  }

  HANDLE file = CreateFileA(full_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    std::putchar('\n');
    std::printf("?Can't open file: %s - Error: 0x%lx (%lu.)\n", full_path.c_str(),
                static_cast<unsigned long>(code), static_cast<unsigned long>(code));
    note_failure();
    return RESULT_FAILED;
  }
  ++files_opened;
  open_image = platform::identity_of(file);

  DWORD size_high = 0;
  DWORD size_low = GetFileSize(file, &size_high);
  if (size_low == INVALID_FILE_SIZE) {
    DWORD code = GetLastError();
    if (code != ERROR_SUCCESS) {
      std::putchar('\n');
      print_error("?Get file size error - Error: 0x%lx (%lu.)\n", code);
      CloseHandle(file);
      note_failure();
      return RESULT_FAILED;
    }
  }
  if (size_high != 0) {
    std::putchar('\n');
    std::printf("?Large files (>2GB) not currently supported\n");
    CloseHandle(file);
    note_failure();
    return RESULT_FAILED;
  }

  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) {
    DWORD code = GetLastError();
    CloseHandle(file);
    std::putchar('\n');
    print_error("?Couldn't create file mapping - Error: 0x%lx (%lu.)\n", code);
    note_failure();
    return RESULT_FAILED;
  }
  const void* base = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (base == nullptr) {
    DWORD code = GetLastError();
    CloseHandle(mapping);
    CloseHandle(file);
    print_error("Couldn't map view of file - Error: 0x%lx (%lu.)\n", code);
    note_failure();
    return RESULT_FAILED;
  }

  if (option_set(OPT_TRACE)) std::printf("Dump of file: %s\n", full_path.c_str());

  ImageView view(static_cast<const uint8_t*>(base), size_low);
  bool is_image = false;
  if (view.size() >= 2 && view.u16(0) == pe::kDosSignature) {
    if (!has_pe_header(view)) {
      std::printf("?Unknown EXE type, or invalid .EXE in: %s\n", full_path.c_str());
      UnmapViewOfFile(base);
      CloseHandle(mapping);
      CloseHandle(file);
      note_failure();
      return RESULT_FAILED;
    }
    locate_exports(view, file_name);
    is_image = true;
  }

  UnmapViewOfFile(base);
  CloseHandle(mapping);
  CloseHandle(file);
  open_image = platform::FileIdentity();

  if (is_image) return RESULT_OK;
  std::putchar('\n');
  std::printf("?Unrecognized file format in file: %s\n", full_path.c_str());
  note_failure();
  return RESULT_FAILED;
}
