// Opening and checking one file: each way a file can fail to be a PE image
// gets its one message and status 2, and nothing reads outside the file.
#include <cstdint>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "blackbox.h"

using blackbox::Result;
using blackbox::TempDir;

namespace {

std::string mz_with_lfanew(uint32_t lfanew, size_t size) {
  std::string b(size, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[60 + i] = static_cast<char>((lfanew >> (8 * i)) & 0xff);
  return b;
}

std::string with_pe_signature(std::string b, uint32_t at) {
  b.replace(at, 4, std::string("PE\0\0", 4));
  return b;
}

TEST(Validation, EachBadFileGetsItsMessage) {
  const std::string unrecognized = "\n?Unrecognized file format in file: %s\n";
  const std::string unknown = "?Unknown EXE type, or invalid .EXE in: %s\n";
  struct Case {
    const char* what;
    std::string bytes;
    std::string message;  // %s stands for the full path
  } cases[] = {
      {"empty", "", "\n?Couldn't create file mapping - Error: 0x3ee (1006.)\n"},
      {"one byte", "M", unrecognized},
      {"text", "hello, world\n", unrecognized},
      {"ZM", "ZM" + std::string(300, '\0'), unrecognized},
      {"short MZ", "MZ" + std::string(40, '\0'), unknown},
      {"lfanew past the end", mz_with_lfanew(0x10000, 512), unknown},
      {"lfanew huge", mz_with_lfanew(0xFFFFFFF0u, 512), unknown},
      {"header cut short", with_pe_signature(mz_with_lfanew(64, 64 + 247), 64), unknown},
      {"no PE signature", mz_with_lfanew(64, 64 + 248), unknown},
      {"NE signature", with_pe_signature(mz_with_lfanew(64, 400), 64).replace(64, 2, "NE"), unknown},
  };
  for (const auto& c : cases) {
    TempDir dir;
    blackbox::install_vortane(dir.path(), "");
    blackbox::write_file(dir / "x.dll", c.bytes);
    std::string path = dir / "x.dll";
    std::string message = c.message;
    size_t at = message.find("%s");
    if (at != std::string::npos) message.replace(at, 2, path);
    Result r = blackbox::run(dir / "vortane", {"-e", "x.dll"}, dir.path());
    EXPECT_EQ(r.out, "\n   Processing:     " + path + "\n\n" + message) << c.what;
    EXPECT_EQ(r.status, 2) << c.what;
  }
}

TEST(Validation, TraceShowsTheDumpLineBeforeTheCheck) {
  TempDir dir;
  blackbox::install_vortane(dir.path(), "");
  blackbox::write_file(dir / "x.dll", "ZM");
  Result r = blackbox::run(dir / "vortane", {"-e", "-x", "-l", "x.dll"}, dir.path());
  std::string path = dir / "x.dll";
  EXPECT_EQ(r.out, "Doing spec: x.dll\nDump of file: " + path +
                       "\n\n?Unrecognized file format in file: " + path + "\n");
}

TEST(Validation, AValidImageEndsWithStatus0) {
  TempDir dir;
  blackbox::install_vortane(dir.path(), "");
  blackbox::copy_file(blackbox::sample_dll(), dir / "sample.dll");
  Result r = blackbox::run(dir / "vortane", {"-e", "sample.dll"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("\n?"), std::string::npos) << r.out;
}

TEST(Validation, AFileThatCannotBeOpened) {
  TempDir dir;
  blackbox::install_vortane(dir.path(), "");
  blackbox::make_dir(dir / "d.dll");  // found by the search, but no file to open
  blackbox::write_file(dir / "d.dll/x.dll", "");
  // A directory named like a DLL is scanned, not opened; a FIFO is refused.
  ASSERT_EQ(mkfifo((dir / "p.dll").c_str(), 0644), 0);
  Result r = blackbox::run(dir / "vortane", {"-e", "p.dll"}, dir.path());
  EXPECT_EQ(r.out, "\n   Processing:     " + (dir / "p.dll") + "\n\n\n?Can't open file: " +
                       (dir / "p.dll") + " - Error: 0x5 (5.)\n");
  EXPECT_EQ(r.status, 2);
}

}  // namespace
