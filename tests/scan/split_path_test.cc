// The scan's path splitter: drive, directory, base name and extension, and
// nothing cut, however long the parts.
#include <string>

#include <gtest/gtest.h>

#include "locate/split_path.h"

namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* directory;
  const char* base_name;
  const char* extension;
};

TEST(SplitPath, FourParts) {
  const SplitCase cases[] = {
      {"*.dll", "", "", "*", ".dll"},
      {"C:*.dll", "C:", "", "*", ".dll"},
      {"C:\\x\\*.dll", "C:", "\\x\\", "*", ".dll"},
      {"C:/x/sub\\*.dll", "C:", "/x/sub\\", "*", ".dll"},
      {"../dlls/*", "", "../dlls/", "*", ""},
      {"..\\dlls\\*", "", "..\\dlls\\", "*", ""},
      {"./*.dll", "", "./", "*", ".dll"},
      {"/usr/lib/a.b.dll", "", "/usr/lib/", "a.b", ".dll"},
      {"dir.d/noext", "", "dir.d/", "noext", ""},  // the '.' of the directory is not an extension
      {"dir/.hidden", "", "dir/", "", ".hidden"},
      {"trailing.", "", "", "trailing", "."},
      {"dir/", "", "dir/", "", ""},
      {"x:", "x:", "", "", ""},
      {":x.dll", "", "", ":x", ".dll"},  // ':' second only makes a drive
      {"", "", "", "", ""},
  };
  for (const SplitCase& c : cases) {
    PathParts p = split_path(c.path);
    EXPECT_EQ(p.drive, c.drive) << c.path;
    EXPECT_EQ(p.directory, c.directory) << c.path;
    EXPECT_EQ(p.base_name, c.base_name) << c.path;
    EXPECT_EQ(p.extension, c.extension) << c.path;
  }
}

TEST(SplitPath, LongPartsAreKeptWhole) {
  std::string directory;
  for (int i = 0; i < 40; ++i) directory += std::string(30, 'd') + "/";
  std::string base(400, 'b'), extension = "." + std::string(300, 'e');
  PathParts p = split_path("C:" + directory + base + extension);
  EXPECT_EQ(p.drive, "C:");
  EXPECT_EQ(p.directory, directory);
  EXPECT_EQ(p.base_name, base);
  EXPECT_EQ(p.extension, extension);
}

}  // namespace
