#include "atomic_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace librarian {

namespace {

constexpr int kTempAttempts = 1000;

// Creates a temporary file that did not exist before, beside `path`.
std::FILE* create_temp(const std::string& path, std::string* temp) {
  for (int n = 0; n < kTempAttempts; ++n) {
    *temp = path + ".tmp" + std::to_string(n);
    // "x": fail rather than reuse a file that is already there.
    std::FILE* f = std::fopen(temp->c_str(), "wbx");
    if (f) return f;
    if (errno != EEXIST) return nullptr;
  }
  errno = EEXIST;
  return nullptr;
}

bool write_temp(const OutputFile& file, std::string* temp, std::string* error) {
  std::FILE* f = create_temp(file.path, temp);
  if (!f) {
    *error = "cannot create a temporary file for " + file.path + ": " + std::strerror(errno);
    temp->clear();
    return false;
  }
  Bytes out(f);
  file.write(&out);
  bool ok = out.flush();
  int saved = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    *error = "cannot write " + file.path + ": " + std::strerror(saved);
    std::remove(temp->c_str());
    temp->clear();
  }
  return ok;
}

bool rename_into_place(const std::string& temp, const std::string& path) {
  if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
  // Where rename does not replace an existing file, remove it first.
  int saved = errno;
  if (std::remove(path.c_str()) == 0 && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  errno = saved;
  return false;
}

}  // namespace

bool write_files_atomically(const std::vector<OutputFile>& files, std::string* error) {
  std::vector<std::string> temps;
  for (const OutputFile& f : files) {
    std::string temp;
    if (!write_temp(f, &temp, error)) {
      for (const std::string& t : temps) std::remove(t.c_str());
      return false;
    }
    temps.push_back(temp);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (!rename_into_place(temps[i], files[i].path)) {
      *error = "cannot rename " + temps[i] + " to " + files[i].path + ": " + std::strerror(errno);
      for (size_t k = i; k < temps.size(); ++k) std::remove(temps[k].c_str());
      // Files already renamed belong to this run only; take them back too.
      for (size_t k = 0; k < i; ++k) std::remove(files[k].path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace librarian
