#include "link_test_util.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include <unistd.h>

namespace linktest {

std::string tool_path(const std::string& tool) {
  const char* path = std::getenv("PATH");
  if (!path) return "";
  std::stringstream ss(path);
  std::string dir;
  while (std::getline(ss, dir, ':')) {
    if (dir.empty()) continue;
    std::string candidate = dir + "/" + tool;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

blackbox::Result run_tool(const std::string& tool, const std::vector<std::string>& args,
                          const std::string& cwd) {
  std::string path = tool_path(tool);
  if (path.empty()) {
    blackbox::Result r;
    r.err = tool + " not found along PATH";
    return r;
  }
  return blackbox::run(path, args, cwd);
}

blackbox::Result make_library(const blackbox::TempDir& dir, const std::string& stem,
                              const std::string& def_text, const std::string& machine) {
  blackbox::write_file(dir / (stem + ".def"), def_text);
  return blackbox::run(blackbox::link_bin(),
                       {"-lib", "-nologo", "-machine:" + machine, "-out:" + stem + ".lib",
                        "-def:" + stem + ".def"},
                       dir.path());
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> archive_map(const blackbox::TempDir& dir, const std::string& lib) {
  blackbox::Result r = run_tool("llvm-nm", {"--print-armap", lib}, dir.path());
  std::vector<std::string> symbols;
  bool in_map = false;
  for (const std::string& line : lines(r.out)) {
    if (line == "Archive map") {
      in_map = true;
      continue;
    }
    if (!in_map) continue;
    if (line.empty()) break;
    symbols.push_back(line);
  }
  std::sort(symbols.begin(), symbols.end());
  return symbols;
}

}  // namespace linktest
