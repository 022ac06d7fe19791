// Where a named DLL is looked for: the current directory, then the default
// search path (the program's own directory, then PATH), then LIB; -k keeps
// the search in the current directory.
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "blackbox.h"

using blackbox::Result;
using blackbox::TempDir;

namespace {

// root/bin holds vortane, root/work is the current directory, root/path is
// on PATH, root/lib1 and root/lib2 are listed in LIB.
class SearchOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"bin", "work", "path", "lib1", "lib2", "work/sub", "work/old.dll"}) {
      blackbox::make_dir(root_ / d);
    }
    blackbox::install_vortane(root_ / "bin", "");
  }
  void put(const std::string& where) { blackbox::copy_file(blackbox::sample_dll(), root_ / where); }
  Result run(std::vector<std::string> args, const std::string& lib = "") {
    args.insert(args.begin(), {"-e", "-r"});  // no linker needed
    return blackbox::run(root_ / "bin/vortane", args, root_ / "work",
                         {{"PATH", root_ / "path"}, {"LIB", lib}});
  }
  // The path that the run processed, from its "Processing:" line.
  static std::string processed(const Result& r) {
    const std::string tag = "   Processing:     ";
    size_t at = r.out.find(tag);
    if (at == std::string::npos) return "(none)";
    size_t end = r.out.find('\n', at);
    return r.out.substr(at + tag.size(), end - at - tag.size());
  }
  TempDir root_;
};

TEST_F(SearchOrder, FirstPlaceThatHoldsTheNameWins) {
  struct Case {
    std::vector<std::string> copies;
    std::string spec;
    std::string expected;  // relative to root
  } cases[] = {
      {{"work/foo.dll", "lib1/foo.dll"}, "foo", "work/foo.dll"},  // .dll added
      {{"work/foo.dll", "bin/foo.dll"}, "foo.dll", "work/foo.dll"},
      {{"bin/foo.dll", "path/foo.dll"}, "foo.dll", "bin/foo.dll"},  // program's own dir first
      {{"path/foo.dll", "lib1/foo.dll"}, "foo.dll", "path/foo.dll"},
      {{"lib2/foo.dll"}, "foo.dll", "lib2/foo.dll"},  // LIB lists several places
      {{"work/sub/foo.dll"}, "sub\\foo.dll", "work/sub/foo.dll"},  // either separator
      {{"work/FOO.DLL"}, "foo.dll", "work/FOO.DLL"},  // any case, as Windows finds it
      {{"work/a.b"}, "a.b", "work/a.b"},  // an extension of its own: nothing added
  };
  for (const auto& c : cases) {
    for (const auto& f : c.copies) put(f);
    Result r = run({c.spec}, (root_ / "lib1") + ";" + (root_ / "lib2"));
    EXPECT_EQ(processed(r), root_ / c.expected) << c.spec << "\n" << r.out;
    EXPECT_EQ(r.out.find("?"), std::string::npos) << r.out;
    for (const auto& f : c.copies) unlink((root_ / f).c_str());
  }
}

TEST_F(SearchOrder, ColonSeparatesLibDirectoriesOnThisHost) {
  put("lib2/foo.dll");
  Result r = run({"foo"}, (root_ / "lib1") + ":" + (root_ / "lib2"));
  EXPECT_EQ(processed(r), root_ / "lib2/foo.dll");
}

TEST_F(SearchOrder, LocalOnlySearchesTheCurrentDirectoryAlone) {
  for (const char* where : {"bin/foo.dll", "path/foo.dll", "lib1/foo.dll"}) {
    put(where);
    Result r = run({"-k", "foo"}, root_ / "lib1");
    EXPECT_EQ(r.out, "\n?Can't find file: foo\n") << where;
    EXPECT_EQ(r.status, 2);
    unlink((root_ / where).c_str());
  }
  put("work/foo.dll");
  EXPECT_EQ(processed(run({"-k", "foo"})), root_ / "work/foo.dll");
}

TEST_F(SearchOrder, LocalOnlyRefusesPatternsAndDirectoriesSilently) {
  put("work/foo.dll");
  for (const char* spec : {"*.dll", "f?o.dll", ".", "old.dll"}) {
    Result r = run({"-k", "-x", spec});
    EXPECT_EQ(r.out, std::string("Doing spec: ") + spec + "\n") << spec;
    EXPECT_EQ(r.status, 2);
  }
}

TEST_F(SearchOrder, NotFound) {
  // "sub" is a directory, but it is looked for as sub.dll.
  for (const char* spec : {"nosuch", "sub", "nosuch.dll"}) {
    Result r = run({spec});
    EXPECT_EQ(r.out, std::string("\n?Can't find file: ") + spec + "\n");
    EXPECT_EQ(r.status, 2);
  }
}

TEST_F(SearchOrder, PatternCompletion) {
  struct Case {
    std::string spec, pattern;
  } cases[] = {
      {"*", "*.dll"},
      {"lib?.dll", "lib?.dll"},
      {"../work/*", "../work/*"},  // the dot of the directory part counts
      {".", "./*.dll"},            // a directory spec
      {"old.dll", "old.dll/*.dll"},
  };
  for (const auto& c : cases) {
    Result r = run({"-x", c.spec});
    EXPECT_NE(r.out.find("Doing spec: " + c.spec + "\nLooking for files: " + c.pattern + "\n"),
              std::string::npos)
        << r.out;
    // Nothing matches in these directories.
    EXPECT_NE(r.out.find("\n?No files found matching: " + c.pattern + "\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.status, 2);
  }
}

}  // namespace
