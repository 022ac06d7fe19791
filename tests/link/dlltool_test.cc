// Our symbol table against llvm-dlltool's for the same .def: the same on
// x64; on x86 different exactly where the platform librarian's naming rule
// differs from the MinGW one.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "blackbox.h"
#include "link_test_util.h"

namespace {

using blackbox::Result;
using blackbox::TempDir;

const char kDef[] =
    "LIBRARY \"peer.dll\"\n"
    "EXPORTS\n"
    "  Close\n"
    "  _Under\n"
    "  f@4\n"
    "  _g@4\n"
    "  @h@8\n"
    "  ?mul@@YAHHH@Z\n"
    "  Counter DATA\n"
    "  ByOrdinal @7 NONAME\n"
    "  Numbered @9\n"
    "  Hidden PRIVATE\n";

std::vector<std::string> peer_map(const TempDir& dir, const std::string& machine) {
  Result r = linktest::run_tool("llvm-dlltool", {"-m", machine, "-d", "x.def", "-l", "peer.lib"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  return linktest::archive_map(dir, "peer.lib");
}

std::vector<std::string> minus(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::string> d;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(d));
  return d;
}

TEST(LinkVersusDlltool, SameSymbolTableOnX64) {
  if (linktest::tool_path("llvm-dlltool").empty() || linktest::tool_path("llvm-nm").empty()) {
    GTEST_SKIP() << "llvm-dlltool or llvm-nm not found";
  }
  TempDir dir;
  ASSERT_EQ(linktest::make_library(dir, "x", kDef, "x64").status, 0);
  std::vector<std::string> ours = linktest::archive_map(dir, "x.lib");
  ASSERT_FALSE(ours.empty());
  EXPECT_EQ(ours, peer_map(dir, "i386:x86-64"));
}

TEST(LinkVersusDlltool, OnX86OnlyTheMsvcDecoratedStdcallNameDiffers) {
  if (linktest::tool_path("llvm-dlltool").empty() || linktest::tool_path("llvm-nm").empty()) {
    GTEST_SKIP() << "llvm-dlltool or llvm-nm not found";
  }
  TempDir dir;
  ASSERT_EQ(linktest::make_library(dir, "x", kDef, "ix86").status, 0);
  std::vector<std::string> ours = linktest::archive_map(dir, "x.lib");
  std::vector<std::string> peer = peer_map(dir, "i386");
  // The MinGW rule puts an underscore before every name; the platform's
  // keeps `_g@4` (stdcall as MSVC exports it) as it stands, because a name
  // that begins with '_' and holds an '@' is already decorated. Plain names,
  // MinGW-style `f@4`, fastcall `@h@8` and C++ names come out the same.
  EXPECT_EQ(minus(ours, peer), (std::vector<std::string>{"__imp__g@4 in peer.dll", "_g@4 in peer.dll"}));
  EXPECT_EQ(minus(peer, ours), (std::vector<std::string>{"__g@4 in peer.dll", "__imp___g@4 in peer.dll"}));
}

}  // namespace
