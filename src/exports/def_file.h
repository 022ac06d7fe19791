// The module-definition file: CRLF line ends on every host, so the file is
// the same wherever it is made.
#ifndef VORTANE_EXPORTS_DEF_FILE_H
#define VORTANE_EXPORTS_DEF_FILE_H

#include <cstddef>
#include <cstdio>

class DefFile {
 public:
  DefFile() = default;
  ~DefFile() { close(); }
  DefFile(const DefFile&) = delete;
  DefFile& operator=(const DefFile&) = delete;

  // Creates (or empties) the file; false when it cannot be created.
  bool create(const char* path);
  // The blank line, LIBRARY "<name>", a blank line and EXPORTS.
  void write_heading(const char* library_name, size_t length);
  // One export name behind four spaces.
  void write_name(const char* name, size_t length);
  // The closing blank line, then the file is closed. False when any write
  // or the close failed (a full disk): the file is then incomplete.
  bool finish();
  void close();

 private:
  std::FILE* file_ = nullptr;
};

#endif  // VORTANE_EXPORTS_DEF_FILE_H
