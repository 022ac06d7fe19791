// The platform file search, as the tool relies on it.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "blackbox.h"
#include "platform/win32.h"

using blackbox::TempDir;

namespace {

TEST(SearchPath, ReportsPathFilePartAndNeededSize) {
  TempDir dir;
  blackbox::write_file(dir / "foo.dll", "x");
  char buffer[1024];
  LPSTR file_part = nullptr;
  DWORD n = SearchPathA(dir.path().c_str(), "foo", ".dll", sizeof buffer, buffer, &file_part);
  std::string expected = dir / "foo.dll";
  ASSERT_EQ(n, expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(std::string(file_part), "foo.dll");

  // Too small: the size needed, terminator included, and nothing found yet.
  EXPECT_EQ(SearchPathA(dir.path().c_str(), "foo", ".dll", static_cast<DWORD>(expected.size()),
                        buffer, &file_part),
            expected.size() + 1);

  std::string grown;
  size_t part = 0;
  ASSERT_TRUE(platform::search_path(dir.path().c_str(), "foo", ".dll", &grown, &part));
  EXPECT_EQ(grown, expected);
  EXPECT_EQ(grown.substr(part), "foo.dll");
}

TEST(SearchPath, LongPathsAreNotCut) {
  TempDir dir;
  std::string deep = dir.path();
  for (int i = 0; i < 12; ++i) {
    deep += "/" + std::string(40, static_cast<char>('a' + i));
    blackbox::make_dir(deep);
  }
  blackbox::write_file(deep + "/x.dll", "x");
  std::string found;
  size_t part = 0;
  ASSERT_TRUE(platform::search_path(deep.c_str(), "x.dll", ".dll", &found, &part));
  EXPECT_EQ(found, deep + "/x.dll");
  EXPECT_GT(found.size(), 500u);
}

TEST(SearchPath, ExtensionOnlyWhenTheLastComponentHasNoDot) {
  TempDir dir;
  blackbox::make_dir(dir / "a.d");
  blackbox::write_file(dir / "a.d/lib", "x");
  blackbox::write_file(dir / "a.d/lib.dll", "x");
  std::string found;
  size_t part = 0;
  ASSERT_TRUE(platform::search_path(dir.path().c_str(), "a.d/lib", ".dll", &found, &part));
  EXPECT_EQ(found, dir / "a.d/lib.dll");  // the directory's dot does not count
  ASSERT_TRUE(platform::search_path(dir.path().c_str(), "a.d", ".dll", &found, &part));
  EXPECT_EQ(found, dir / "a.d");
  // A trailing separator leaves an empty last component: the extension
  // goes behind it, inside the directory named.
  blackbox::write_file(dir / "a.d/.dll", "x");
  blackbox::write_file(dir / "a.dll", "x");
  ASSERT_TRUE(platform::search_path(dir.path().c_str(), "a.d/", ".dll", &found, &part));
  EXPECT_EQ(found, dir / "a.d/.dll");
}

TEST(SearchPath, NormalisesTheFullPath) {
  TempDir dir;
  blackbox::make_dir(dir / "sub");
  blackbox::write_file(dir / "x.dll", "x");
  std::string found;
  size_t part = 0;
  std::string list = dir / "sub";
  ASSERT_TRUE(platform::search_path(list.c_str(), "..\\.\\x.dll", ".dll", &found, &part));
  EXPECT_EQ(found, dir / "x.dll");
  ASSERT_TRUE(platform::search_path(list.c_str(), "..", ".dll", &found, &part));
  EXPECT_EQ(found, dir.path());
}

TEST(SearchPath, DirectoryListsSplitAtSemicolonsAndColons) {
  TempDir a, b, c;
  blackbox::write_file(c / "x.dll", "x");
  std::string found;
  size_t part = 0;
  std::string list = a.path() + ";" + b.path() + ":" + c.path();
  ASSERT_TRUE(platform::search_path(list.c_str(), "x", ".dll", &found, &part));
  EXPECT_EQ(found, c / "x.dll");
  EXPECT_FALSE(platform::search_path(list.c_str(), "y", ".dll", &found, &part));
  EXPECT_FALSE(platform::search_path(list.c_str(), "", ".dll", &found, &part));
}

// The linker check: exactly LINK (or LINK.exe), executable, along the
// default search path; coreutils' link is never taken.
TEST(SearchPath, FindsOnlyAnExecutableNamedExactlyLink) {
  TempDir a, b;
  blackbox::write_script(a / "link", "exit 0\n");
  blackbox::write_file(a / "LINK", "not executable");
  blackbox::write_script(b / "LINK.exe", "exit 0\n");
  std::string found;
  size_t part = 0;
  std::string list = a.path() + ";" + b.path();
  ASSERT_TRUE(platform::search_path(list.c_str(), "LINK", ".exe", &found, &part));
  EXPECT_EQ(found, b / "LINK.exe");
  chmod((a / "LINK").c_str(), 0755);
  ASSERT_TRUE(platform::search_path(list.c_str(), "LINK", ".exe", &found, &part));
  EXPECT_EQ(found, a / "LINK");

}

TEST(FileAttributes, DirectoryBitAndErrors) {
  TempDir dir;
  blackbox::write_file(dir / "f", "x");
  EXPECT_EQ(GetFileAttributesA(dir.path().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA((dir / "f").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesA((dir / "missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA((dir / "missing/x").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FileMapping, EmptyFilesCannotBeMappedAndViewsReadTheFile) {
  TempDir dir;
  blackbox::write_file(dir / "empty", "");
  blackbox::write_file(dir / "data", "MZdata");
  HANDLE f = CreateFileA((dir / "empty").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileMappingA(f, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
  CloseHandle(f);

  f = CreateFileA((dir / "data").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(f, &high), 6u);
  EXPECT_EQ(high, 0u);
  HANDLE m = CreateFileMappingA(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(m, nullptr);
  const void* v = MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(v), 6), "MZdata");
  EXPECT_TRUE(UnmapViewOfFile(v));
  CloseHandle(m);
  CloseHandle(f);

  EXPECT_EQ(CreateFileA((dir / "nope").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CreateFileA(dir.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
