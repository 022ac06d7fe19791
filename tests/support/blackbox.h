// Runs the built programs in fresh temporary directories and captures what
// they print, for black-box tests of both vortane and LINK.
#ifndef VORTANE_TESTS_BLACKBOX_H
#define VORTANE_TESTS_BLACKBOX_H

#include <map>
#include <string>
#include <vector>

namespace blackbox {

struct Result {
  std::string out;  // standard output, byte for byte
  std::string err;  // standard error
  int status = -1;  // exit status; -1 when the program did not exit normally
};

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `path()` + "/" + `relative`.
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

// Runs `program` with `args` in `cwd`. `env` entries are set (an empty value
// removes the variable); everything else is inherited. Standard input is
// the null device.
Result run(const std::string& program, const std::vector<std::string>& args,
           const std::string& cwd,
           const std::map<std::string, std::string>& env = {});

// Small file helpers; they fail the current test on error.
void write_file(const std::string& path, const std::string& bytes);
void write_file(const std::string& path, const std::vector<unsigned char>& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
void make_dir(const std::string& path);
void copy_file(const std::string& from, const std::string& to);
// Writes an executable shell script.
void write_script(const std::string& path, const std::string& body);
// The names in a directory, sorted, without "." and "..".
std::vector<std::string> list_dir(const std::string& path);

// Paths of the built programs and the bundled sample.
inline std::string vortane_bin() { return VORTANE_BIN; }
inline std::string link_bin() { return LINK_BIN; }
inline std::string sample_dll() { return SAMPLE_DLL; }

// Puts a copy of vortane into `dir` and, unless `link_script` is empty, a
// LINK shell script with that body beside it (the linker the copy finds
// first). Returns the copy's path.
std::string install_vortane(const std::string& dir, const std::string& link_script = "exit 0\n");

// True when `tool` is found along PATH.
bool have_tool(const std::string& tool);

}  // namespace blackbox

#endif  // VORTANE_TESTS_BLACKBOX_H
