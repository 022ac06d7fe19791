#include "harness.h"

#include <algorithm>

namespace harness {

Outcome run(const pe_fixture::Bytes& bytes, const std::vector<std::string>& args,
            const std::string& file_name, const std::vector<std::string>& existing, const std::string& spec) {
  blackbox::TempDir dir;
  blackbox::install_vortane(dir.path(), "touch linker-ran\nexit 0\n");
  blackbox::write_file(dir / file_name, bytes);
  std::vector<std::string> dirs;
  for (const std::string& e : existing) {
    size_t eq = e.find('=');
    std::string name = e.substr(0, eq);
    if (!name.empty() && name.back() == '/') {
      name.pop_back();
      blackbox::make_dir(dir / name);
      dirs.push_back(name);
    } else {
      blackbox::write_file(dir / name, eq == std::string::npos ? "" : e.substr(eq + 1));
    }
  }
  std::vector<std::string> argv = args;
  argv.push_back(spec.empty() ? file_name : spec);
  blackbox::Result r = blackbox::run(dir / "vortane", argv, dir.path());

  Outcome o;
  o.path = dir / file_name;
  o.out = r.out;
  o.status = r.status;
  // The path shown is the full path for a plain name, the name as matched
  // for a pattern.
  const std::string head = "\n   Processing:     ";
  size_t end = o.out.find("\n\n", head.size());
  if (o.out.compare(0, head.size(), head) == 0 && end != std::string::npos) o.out.erase(0, end + 2);
  for (const std::string& f : blackbox::list_dir(dir.path())) {
    if (f == "vortane" || f == "LINK" || f == file_name) continue;
    if (f == "linker-ran") {
      o.linker_ran = true;
      continue;
    }
    o.files.push_back(f);
  }
  size_t dot = file_name.rfind('.');
  std::string def = (dot == std::string::npos ? file_name : file_name.substr(0, dot)) + ".def";
  if (std::find(o.files.begin(), o.files.end(), def) != o.files.end() &&
      std::find(dirs.begin(), dirs.end(), def) == dirs.end())
    o.def = blackbox::read_file(dir / def);
  return o;
}

}  // namespace harness
