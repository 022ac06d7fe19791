// The path splitter of the directory scan: cuts a path into drive,
// directory, base name and extension. Nothing is cut short, so the four
// parts put together always give the path back.
#ifndef VORTANE_LOCATE_SPLIT_PATH_H
#define VORTANE_LOCATE_SPLIT_PATH_H

#include <string>

struct PathParts {
  std::string drive;      // "C:" when the second character is ':', else empty
  std::string directory;  // up to and including the last '\\' or '/', else empty
  std::string base_name;  // up to the last '.' behind the directory, else to the end
  std::string extension;  // from that '.' to the end, else empty
};

PathParts split_path(const std::string& path);

#endif  // VORTANE_LOCATE_SPLIT_PATH_H
