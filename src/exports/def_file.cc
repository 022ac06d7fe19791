#include "exports/def_file.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

}  // namespace

bool DefFile::create(const char* path) {
  close();
  file_ = std::fopen(path, "wb");
  return file_ != nullptr;
}

void DefFile::write_heading(const char* library_name, size_t length) {
  std::fputs(kLineEnd, file_);
  std::fputs("LIBRARY \"", file_);
  std::fwrite(library_name, 1, length, file_);
  std::fputs("\"", file_);
  std::fputs(kLineEnd, file_);
  std::fputs(kLineEnd, file_);
  std::fputs("EXPORTS", file_);
  std::fputs(kLineEnd, file_);
}

void DefFile::write_name(const char* name, size_t length) {
  std::fputs("    ", file_);
  std::fwrite(name, 1, length, file_);
  std::fputs(kLineEnd, file_);
}

bool DefFile::finish() {
  std::fputs(kLineEnd, file_);
  bool written = std::ferror(file_) == 0;
  written = std::fclose(file_) == 0 && written;
  file_ = nullptr;
  return written;
}

void DefFile::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}
