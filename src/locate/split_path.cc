#include "locate/split_path.h"

#include "platform/win32.h"

PathParts split_path(const std::string& path) {
  PathParts parts;
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    start = 2;
  }
  size_t name = start;
  for (size_t i = start; i < path.size(); ++i) {
    if (platform::is_path_separator(path[i])) name = i + 1;
  }
  parts.directory = path.substr(start, name - start);
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < name) dot = path.size();
  parts.base_name = path.substr(name, dot - name);
  parts.extension = path.substr(dot);
  return parts;
}
