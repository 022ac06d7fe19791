// The directory enumeration of the platform layer: Windows wildcard rules,
// the fixed order, attributes of directories and links, and how it ends.
#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "blackbox.h"
#include "platform/posix_common.h"
#include "platform/win32.h"

namespace fs = std::filesystem;

namespace {

struct MatchCase {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(WildcardMatch, FollowsTheWindowsRules) {
  const MatchCase cases[] = {
      // "*.*" and "*" take every name, with or without a dot, "." and "..".
      {"*.*", "foo", true},      {"*.*", "foo.dll", true}, {"*.*", ".", true},
      {"*.*", "..", true},       {"*.*", "a.b.c", true},   {"*", "foo", true},
      {"*", ".hidden", true},
      // ASCII case is ignored on both sides.
      {"*.dll", "FOO.DLL", true}, {"*.DLL", "foo.dll", true}, {"KERNEL32.DLL", "kernel32.dll", true},
      // "*." before a dot stops at the name's last dot.
      {"*.dll", "foo.dll", true}, {"*.dll", "a.b.dll", true}, {"*.dll", ".dll", true},
      {"*.dll", "foo.dll.bak", false}, {"*.dll", "foodll", false}, {"*.dll", "foo.dllx", false},
      {"*.dll", "..", false},
      // "*." alone: the names without an extension.
      {"*.", "foo", true}, {"*.", "foo.dll", false},
      // '?' is one character, but none before a '.' or at the end; never a '.'.
      {"lib?.dll", "libA.dll", true}, {"lib?.dll", "lib.dll", true}, {"lib?.dll", "libAB.dll", false},
      {"lib?.dll", "lib..dll", false}, {"???", "ab", true}, {"???", "abcd", false},
      {"a?c", "a.c", false}, {"a?c", "abc", true},
      // A trailing '.' also matches the end of the name.
      {"foo.", "foo", true}, {"foo.", "foox", false},
      // Plain characters, including those Windows would read as wildcards.
      {"a<b", "a<b", true}, {"a<b", "axb", false}, {"x*y*z", "x123y45z", true},
      {"x*y*z", "x123y45", false}, {"", "", true}, {"a", "", false},
      // Non-ASCII bytes are compared as they are.
      {"\xc3\xa4.dll", "\xc3\x84.dll", false}, {"\xc3\xa4.dll", "\xc3\xa4.DLL", true},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(posix::wildcard_match(c.mask, c.name), c.matches)
        << "mask \"" << c.mask << "\", name \"" << c.name << "\"";
  }
}

TEST(NameOrder, UpperCasedByteOrder) {
  std::vector<std::string> names = {"b", "_x", "A", "a_b", "ab", "B.dll", "b.DLL", "a", "Z", "1"};
  std::sort(names.begin(), names.end(), posix::name_before);
  // '_' lies behind the upper-case letters, as NTFS compares upper-cased names.
  std::vector<std::string> expected = {"1", "A", "a", "ab", "a_b", "b", "B.dll", "b.DLL", "Z", "_x"};
  EXPECT_EQ(names, expected);
}

// Every entry of an enumeration, name and attributes, as the tool sees it.
struct Found {
  std::vector<std::pair<std::string, DWORD>> entries;
  DWORD first_error = 0;  // when FindFirstFileA failed
  DWORD end_error = 0;    // GetLastError after FindNextFileA returned 0
};

Found enumerate(const std::string& pattern) {
  Found f;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    f.first_error = GetLastError();
    return f;
  }
  do {
    f.entries.emplace_back(data.cFileName, data.dwFileAttributes);
  } while (FindNextFileA(h, &data));
  f.end_error = GetLastError();
  EXPECT_TRUE(FindClose(h));
  return f;
}

std::vector<std::string> names_of(const Found& f) {
  std::vector<std::string> names;
  for (const auto& e : f.entries) names.push_back(e.first);
  return names;
}

class FindFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path();
    for (const char* name : {"zeta.dll", "Alpha.DLL", "beta.dll", "readme.txt", "noext", "_under.dll"}) {
      blackbox::write_file(root_ + "/" + name, "junk");
    }
    fs::create_directory(root_ + "/old.dll");
    fs::create_directory(root_ + "/sub");
    fs::create_symlink("sub", root_ + "/linked.dll");
    fs::create_symlink("beta.dll", root_ + "/alias.dll");
    fs::create_symlink("missing", root_ + "/dangling.dll");
  }

  blackbox::TempDir dir_;
  std::string root_;
};

TEST_F(FindFiles, SortedMatchesWithTheirAttributes) {
  Found f = enumerate(root_ + "/*.dll");
  ASSERT_EQ(f.first_error, 0u);
  std::vector<std::pair<std::string, DWORD>> expected = {
      {"alias.dll", FILE_ATTRIBUTE_REPARSE_POINT},
      {"Alpha.DLL", FILE_ATTRIBUTE_NORMAL},
      {"beta.dll", FILE_ATTRIBUTE_NORMAL},
      {"dangling.dll", FILE_ATTRIBUTE_REPARSE_POINT},
      {"linked.dll", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
      {"old.dll", FILE_ATTRIBUTE_DIRECTORY},
      {"zeta.dll", FILE_ATTRIBUTE_NORMAL},
      {"_under.dll", FILE_ATTRIBUTE_NORMAL},
  };
  EXPECT_EQ(f.entries, expected);
  EXPECT_EQ(f.end_error, ERROR_NO_MORE_FILES);
}

TEST_F(FindFiles, StarDotStarTakesEverythingWithTheDotEntriesFirst) {
  Found f = enumerate(root_ + "/*.*");
  std::vector<std::string> expected = {".",        "..",       "alias.dll", "Alpha.DLL", "beta.dll",
                                       "dangling.dll", "linked.dll", "noext", "old.dll", "readme.txt",
                                       "sub",      "zeta.dll", "_under.dll"};
  EXPECT_EQ(names_of(f), expected);
  EXPECT_EQ(f.entries[0].second, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(f.entries[1].second, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FindFiles, EitherSeparatorAndAnyCase) {
  fs::create_directory(root_ + "/sub/inner");
  blackbox::write_file(root_ + "/sub/inner/X.Dll", "junk");
  for (const std::string& pattern :
       {root_ + "/sub/inner/*.dll", root_ + "\\sub\\inner\\*.DLL", root_ + "/sub\\inner/x.dll"}) {
    EXPECT_EQ(names_of(enumerate(pattern)), std::vector<std::string>{"X.Dll"}) << pattern;
  }
}

TEST_F(FindFiles, RelativePatternsReadTheCurrentDirectory) {
  // No directory part: the current directory, as Windows takes it.
  fs::path saved = fs::current_path();
  fs::current_path(root_);
  Found bare = enumerate("b*.dll");
  Found dotted = enumerate("./b*.dll");
  fs::current_path(saved);
  EXPECT_EQ(names_of(bare), std::vector<std::string>{"beta.dll"});
  EXPECT_EQ(names_of(dotted), std::vector<std::string>{"beta.dll"});
}

TEST_F(FindFiles, NothingToEnumerate) {
  // No match: file not found. A directory that is missing or is a file:
  // path not found. A pattern with an empty last component finds nothing.
  EXPECT_EQ(enumerate(root_ + "/*.exe").first_error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(enumerate(root_ + "/missing/*.dll").first_error, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(enumerate(root_ + "/readme.txt/*.*").first_error, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(enumerate(root_ + "/").first_error, ERROR_FILE_NOT_FOUND);
}

TEST_F(FindFiles, TheLongestNameTheHostAllowsIsHandedOutWhole) {
  std::string longest(255, 'n');
  longest.replace(251, 4, ".dll");
  blackbox::write_file(root_ + "/sub/" + longest, "junk");
  Found f = enumerate(root_ + "/sub/*.dll");
  EXPECT_EQ(names_of(f), std::vector<std::string>{longest});
}

TEST(FindHandles, ForeignHandlesAreRefused) {
  WIN32_FIND_DATAA data;
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FindClose(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
