// Black-box tests of wildcard and directory specs: the built vortane runs in
// a fresh temporary tree, and its output is compared byte for byte. The
// files are junk, which process_file reports as an unrecognized format but
// counts as opened; -e keeps the linker out of it.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blackbox.h"

namespace fs = std::filesystem;
using blackbox::Result;

namespace {

Result vortane(const std::string& cwd, const std::vector<std::string>& args) {
  return blackbox::run(blackbox::vortane_bin(), args, cwd);
}

// The paths of the "   Processing:     %s" lines, in order.
std::vector<std::string> processed(const std::string& out) {
  const std::string tag = "   Processing:     ";
  std::vector<std::string> paths;
  size_t at = 0;
  while ((at = out.find(tag, at)) != std::string::npos) {
    at += tag.size();
    size_t end = out.find('\n', at);
    paths.push_back(out.substr(at, end - at));
    at = end;
  }
  return paths;
}

// What one junk file makes vortane print with -e (and with -x: `trace`).
std::string junk_report(const std::string& path, bool trace = false) {
  return "\n   Processing:     " + path + "\n\n" + (trace ? "Dump of file: " + path + "\n" : "") +
         "\n?Unrecognized file format in file: " + path + "\n";
}

void touch(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  blackbox::write_file(path, "not an image");
}

class PatternSpecs : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = dir_ / "work";
    for (const char* name : {"a.dll", "B.DLL", "c.txt", "noext", "libA.dll", "lib.dll", "libAB.dll"}) {
      touch(work_ + "/" + name);
    }
    fs::create_directories(work_ + "/old.dll");
    for (const char* name : {"x.dll", "y.txt", "z"}) touch(dir_ / ("dlls/" + std::string(name)));
  }

  blackbox::TempDir dir_;
  std::string work_;
};

struct CompletionCase {
  const char* spec;
  const char* pattern;  // the completed pattern, as "Looking for files:" shows it
  std::vector<std::string> files;
};

TEST_F(PatternSpecs, CompletionAndMatching) {
  const CompletionCase cases[] = {
      // No '.' anywhere: ".dll" is added.
      {"*", "*.dll", {"a.dll", "B.DLL", "lib.dll", "libA.dll", "libAB.dll"}},
      // Any case matches; the order is by upper-cased name.
      {"*.DLL", "*.DLL", {"a.dll", "B.DLL", "lib.dll", "libA.dll", "libAB.dll"}},
      // As typed; '?' takes one character, or none before the '.'.
      {"lib?.dll", "lib?.dll", {"lib.dll", "libA.dll"}},
      // The '.' of the directory part counts: the pattern keeps its form and
      // takes every file there. Either separator.
      {"../dlls/*", "../dlls/*", {"../dlls/x.dll", "../dlls/y.txt", "../dlls/z"}},
      {"..\\dlls\\*", "..\\dlls\\*", {"..\\dlls\\x.dll", "..\\dlls\\y.txt", "..\\dlls\\z"}},
      // The directory spec ".": all DLLs of the current directory.
      {".", "./*.dll", {"./a.dll", "./B.DLL", "./lib.dll", "./libA.dll", "./libAB.dll"}},
  };
  for (const CompletionCase& c : cases) {
    Result r = vortane(work_, {"-e", "-x", c.spec});
    EXPECT_NE(r.out.find("Looking for files: " + std::string(c.pattern) + "\n Searching for: " +
                         c.pattern + "\n"),
              std::string::npos)
        << c.spec << "\n" << r.out;
    EXPECT_EQ(processed(r.out), c.files) << c.spec;
    EXPECT_EQ(r.out.find("?No files found"), std::string::npos) << c.spec;
    EXPECT_EQ(r.status, 2) << c.spec;  // junk files: each printed an error
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(PatternSpecs, ADirectoryThatMatchesIsTracedNeverProcessed) {
  fs::remove(work_ + "/a.dll");
  fs::remove(work_ + "/B.DLL");
  Result r = vortane(work_, {"-e", "-x", "*.DLL"});
  EXPECT_EQ(r.out,
            "Doing spec: *.DLL\n"
            "Looking for files: *.DLL\n"
            " Searching for: *.DLL\n"
            " Found file: lib.dll\n"
            " Found file: libA.dll\n"
            " Found file: libAB.dll\n"
            " Directory file: old.dll\n" +
                junk_report("lib.dll", true) + junk_report("libA.dll", true) +
                junk_report("libAB.dll", true));
}

TEST(ScanFindsNothing, OnlyDirectoriesOrOnlyFilesThatFailToOpen) {
  blackbox::TempDir dir;
  // Only a directory matches.
  fs::create_directories(dir / "dirs/old.dll");
  Result r = vortane(dir / "dirs", {"-e", "-x", "*.dll"});
  EXPECT_EQ(r.out,
            "Doing spec: *.dll\n"
            "Looking for files: *.dll\n"
            " Searching for: *.dll\n"
            " Directory file: old.dll\n"
            "\n?No files found matching: *.dll\n");
  EXPECT_EQ(r.status, 2);

  // Every match fails to open: links that lead nowhere.
  fs::create_directories(dir / "broken");
  fs::create_symlink("gone1", dir / "broken/a.dll");
  fs::create_symlink("gone2", dir / "broken/b.dll");
  r = vortane(dir.path(), {"-e", "broken/*"});
  EXPECT_EQ(r.out,
            "\n   Processing:     broken/a.dll\n\n"
            "\n?Can't open file: broken/a.dll - Error: 0x2 (2.)\n"
            "\n   Processing:     broken/b.dll\n\n"
            "\n?Can't open file: broken/b.dll - Error: 0x2 (2.)\n"
            "\n?No files found matching: broken/*.dll\n");
  EXPECT_EQ(r.status, 2);

  // No match and no subdirectory: the scan prints only its search line.
  fs::create_directories(dir / "empty");
  r = vortane(dir / "empty", {"-e", "-x", "-s", "*.dll"});
  EXPECT_EQ(r.out,
            "Doing spec: *.dll\nLooking for files: *.dll\n Searching for: *.dll\n"
            "\n?No files found matching: *.dll\n");
  EXPECT_EQ(r.status, 2);
}

TEST(SubdirectoryScan, OwnFilesFirstThenEachSubtreeInSortedOrder) {
  blackbox::TempDir dir;
  for (const char* path : {"b.dll", "a.dll", "other.txt", "Z/z1.dll", "Z/M/m.dll", "m/m1.dll",
                           "m/k/k.dll", ".hidden/h.dll", "old.dll/inner.dll", "m/k/skip.txt"}) {
    touch(dir / ("t/" + std::string(path)));
  }
  Result r = vortane(dir / "t", {"-e", "-s", "*.dll"});
  std::vector<std::string> expected = {"a.dll",     "b.dll",     ".hidden/h.dll", "m/m1.dll",
                                       "m/k/k.dll", "old.dll/inner.dll", "Z/z1.dll", "Z/M/m.dll"};
  EXPECT_EQ(processed(r.out), expected);

  // Without -s only the directory's own files.
  r = vortane(dir / "t", {"-e", "*.dll"});
  EXPECT_EQ(processed(r.out), (std::vector<std::string>{"a.dll", "b.dll"}));
}

TEST(SubdirectoryScan, TraceLines) {
  blackbox::TempDir dir;
  touch(dir / "x/foo.dll");
  touch(dir / "x/sub/bar.dll");
  touch(dir / "x/sub/readme.txt");
  fs::create_directories(dir / "x/sub/empty");
  Result r = vortane(dir.path(), {"-x", "-e", "-s", "x\\*.dll"});
  EXPECT_EQ(r.out,
            "Doing spec: x\\*.dll\n"
            "Looking for files: x\\*.dll\n"
            " Searching for: x\\*.dll\n"
            " Found file: x\\foo.dll\n" +
                junk_report("x\\foo.dll", true) +
                " Doing subdirectory: x\\sub\n"
                " Searching for: x\\sub/*.dll\n"
                " Found file: x\\sub/bar.dll\n" +
                junk_report("x\\sub/bar.dll", true) +
                " Doing subdirectory: x\\sub/empty\n"
                " Searching for: x\\sub/empty/*.dll\n");
  EXPECT_EQ(r.status, 2);
}

TEST(SubdirectoryScan, LinksAreProcessedButNeverDescendedInto) {
  // Each tree holds one cycle, so that a scan that followed links would
  // fail fast (at the host's path limit) instead of running for hours.
  for (const char* cycle : {"..", "."}) {
    blackbox::TempDir dir;
    touch(dir / "t/a.dll");
    touch(dir / "t/sub/b.dll");
    touch(dir / "t/other/c.dll");
    fs::create_directory_symlink(cycle, dir / "t/sub/back");    // a cycle
    fs::create_directory_symlink("other", dir / "t/loop.dll");  // a link that matches
    fs::create_symlink("sub/b.dll", dir / "t/alias.dll");     // a link to a file
    Result r = vortane(dir.path(), {"-e", "-x", "-s", "t/*.dll"});
    EXPECT_EQ(processed(r.out), (std::vector<std::string>{"t/a.dll", "t/alias.dll", "t/other/c.dll", "t/sub/b.dll"}))
        << cycle;
    EXPECT_NE(r.out.find(" Directory file: t/loop.dll\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Doing subdirectory: t/loop.dll"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Doing subdirectory: t/sub/back"), std::string::npos) << r.out;
  }
}

TEST(SubdirectoryScan, PathsLongerThanTheOldBuffersStayWhole) {
  blackbox::TempDir dir;
  std::string a(120, 'a'), b(120, 'b'), c(120, 'c');
  std::string deep = a + "/" + b + "/" + c + "/" + std::string(200, 'f') + ".dll";
  touch(dir / ("t/" + deep));
  Result r = vortane(dir / "t", {"-e", "-s", "*"});
  EXPECT_EQ(processed(r.out), std::vector<std::string>{deep});
  EXPECT_NE(r.out.find("?Unrecognized file format in file: " + deep + "\n"), std::string::npos);
}

}  // namespace
