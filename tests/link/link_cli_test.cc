// LINK run as vortane runs it: the command line, what it prints, the files
// it leaves, and that a failed run leaves none.
#include <gtest/gtest.h>

#include <algorithm>

#include "blackbox.h"
#include "link_test_util.h"

namespace {

using blackbox::Result;
using blackbox::TempDir;

// What vortane writes for a DLL.
const char kVortaneDef[] =
    "\r\nLIBRARY \"foo.dll\"\r\n\r\nEXPORTS\r\n    Close\r\n    _PfAddFiltersToInterface@24\r\n"
    "    @x@8\r\n    ?mul@@YAHHH@Z\r\n\r\n";

Result link(const TempDir& dir, const std::vector<std::string>& args) {
  return blackbox::run(blackbox::link_bin(), args, dir.path());
}

TEST(LinkCli, VortanesCommandLineWritesLibAndExpAndSaysSo) {
  TempDir dir;
  blackbox::write_file(dir / "foo.def", kVortaneDef);
  Result r = link(dir, {"-lib", "-nologo", "-machine:ix86", "-out:foo.lib", "-def:foo.def"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "   Creating library foo.lib and object foo.exp\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(blackbox::list_dir(dir.path()),
            (std::vector<std::string>{"foo.def", "foo.exp", "foo.lib"}));
}

TEST(LinkCli, SameInputSameBytes) {
  TempDir a, b;
  blackbox::write_file(a / "foo.def", kVortaneDef);
  blackbox::write_file(b / "foo.def", kVortaneDef);
  for (const char* machine : {"ix86", "x64", "arm", "arm64"}) {
    std::vector<std::string> args = {"-lib", "-nologo", std::string("-machine:") + machine,
                                     "-out:foo.lib", "-def:foo.def"};
    ASSERT_EQ(link(a, args).status, 0);
    std::string lib = blackbox::read_file(a / "foo.lib"), exp = blackbox::read_file(a / "foo.exp");
    ASSERT_EQ(link(a, args).status, 0);  // again, over the first run's files
    ASSERT_EQ(link(b, args).status, 0);
    EXPECT_EQ(blackbox::read_file(a / "foo.lib"), lib) << machine;
    EXPECT_EQ(blackbox::read_file(b / "foo.lib"), lib) << machine;
    EXPECT_EQ(blackbox::read_file(b / "foo.exp"), exp) << machine;
  }
}

TEST(LinkCli, ExportFileTakesTheLibrarysNameWithItsLastExtensionReplaced) {
  struct {
    const char* out;
    const char* exp;
  } cases[] = {{"foo.lib", "foo.exp"}, {"a.b.lib", "a.b.exp"}, {"noext", "noext.exp"},
               {"sub.d/x.lib", "sub.d/x.exp"}, {"sub.d/plain", "sub.d/plain.exp"}};
  for (const auto& c : cases) {
    TempDir dir;
    blackbox::make_dir(dir / "sub.d");
    blackbox::write_file(dir / "foo.def", kVortaneDef);
    Result r = link(dir, {"-lib", "-nologo", "-machine:x64", std::string("-out:") + c.out, "-def:foo.def"});
    EXPECT_EQ(r.status, 0) << c.out << ": " << r.err;
    EXPECT_EQ(r.out, std::string("   Creating library ") + c.out + " and object " + c.exp + "\n");
    EXPECT_TRUE(blackbox::file_exists(dir / c.out)) << c.out;
    EXPECT_TRUE(blackbox::file_exists(dir / c.exp)) << c.exp;
  }
}

TEST(LinkCli, OptionsTakeSlashesAndAnyCase) {
  TempDir dir;
  blackbox::write_file(dir / "foo.def", kVortaneDef);
  Result r = link(dir, {"/LIB", "/NoLogo", "/MACHINE:AMD64", "/OUT:Foo.lib", "/Def:foo.def", "/VERBOSE"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(blackbox::file_exists(dir / "Foo.lib"));
  EXPECT_NE(r.out.find("   Creating library Foo.lib and object Foo.exp\n"), std::string::npos);
}

TEST(LinkCli, BannerWithoutNologoAndWarningWithoutMachine) {
  TempDir dir;
  blackbox::write_file(dir / "foo.def", "LIBRARY foo.dll\nEXPORTS\n  f\n");
  Result r = link(dir, {"-lib", "-out:foo.lib", "-def:foo.def"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> out = linktest::lines(r.out);
  ASSERT_EQ(out.size(), 2u) << r.out;
  EXPECT_NE(out[0].find("LINK"), std::string::npos);
  EXPECT_EQ(out[1], "   Creating library foo.lib and object foo.exp");
  EXPECT_NE(r.err.find("warning"), std::string::npos);
  EXPECT_NE(r.err.find("x86"), std::string::npos);
  // x86 it is: the plain name got its underscore.
  std::vector<std::string> map = linktest::archive_map(dir, "foo.lib");
  if (!linktest::tool_path("llvm-nm").empty()) {
    EXPECT_NE(std::find(map.begin(), map.end(), "__imp__f in foo.dll"), map.end());
  }
}

TEST(LinkCli, NameOptionAndDefaultsFillWhatTheDefLeavesOpen) {
  TempDir dir;
  blackbox::write_file(dir / "x.def", "EXPORTS\n  f\n");
  Result r = link(dir, {"-lib", "-nologo", "-machine:x64", "-name:other.dll", "-def:x.def"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "   Creating library x.lib and object x.exp\n");
  std::string lib = blackbox::read_file(dir / "x.lib");
  EXPECT_NE(lib.find("__IMPORT_DESCRIPTOR_other"), std::string::npos);
  EXPECT_NE(lib.find(std::string("other.dll\0", 10)), std::string::npos);
}

struct BadRun {
  const char* what;
  std::vector<std::string> args;
  const char* message_part;
};

TEST(LinkCli, CommandLineFaultsAreErrorsAndWriteNothing) {
  const BadRun cases[] = {
      {"no -lib", {"-nologo", "-def:foo.def"}, "library mode"},
      {"-lib not first", {"-nologo", "-lib", "-def:foo.def"}, "library mode"},
      {"nothing at all", {}, "library mode"},
      {"unknown option", {"-lib", "-def:foo.def", "-frob"}, "unknown option '-frob'"},
      {"no -def", {"-lib", "-out:foo.lib"}, "no -def:"},
      {"unknown machine", {"-lib", "-machine:mips", "-def:foo.def"}, "unknown machine 'mips'"},
      {"unsupported machine", {"-lib", "-machine:IA64", "-def:foo.def"}, "not supported"},
      {"input file", {"-lib", "-def:foo.def", "foo.obj"}, "'foo.obj'"},
      {"empty value", {"-lib", "-def:foo.def", "-out:"}, "needs a value"},
      {"value on a flag", {"-lib", "-nologo:yes", "-def:foo.def"}, "takes no value"},
      {"missing .def", {"-lib", "-machine:x64", "-def:absent.def"}, "cannot read absent.def"},
      {"output over the .def", {"-lib", "-machine:x64", "-def:foo.def", "-out:foo.def"}, "overwrite"},
  };
  for (const BadRun& c : cases) {
    TempDir dir;
    blackbox::write_file(dir / "foo.def", kVortaneDef);
    Result r = link(dir, c.args);
    EXPECT_NE(r.status, 0) << c.what;
    EXPECT_NE(r.err.find(c.message_part), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(linktest::lines(r.err).size(), 1u) << c.what << ": " << r.err;
    EXPECT_EQ(blackbox::list_dir(dir.path()), std::vector<std::string>{"foo.def"}) << c.what;
    EXPECT_EQ(blackbox::read_file(dir / "foo.def"), kVortaneDef) << c.what;
  }
}

struct BadDefRun {
  const char* what;
  std::string text;
  const char* expected_start;  // the start of the message on standard error
};

TEST(LinkCli, BadDefFilesNameFileAndLineAndWriteNothing) {
  const BadDefRun cases[] = {
      {"unknown keyword", "LIBRARY bad.dll\nFROB x\nEXPORTS\n  f\n",
       "bad.def(2): error: unknown keyword 'FROB'"},
      {"missing EXPORTS", "LIBRARY bad.dll\r\n\r\n", "bad.def(2): error: no EXPORTS"},
      {"bad ordinal", "LIBRARY bad.dll\nEXPORTS\n  f @70000\n", "bad.def(3): error: bad ordinal '@70000'"},
      {"empty file", "", "bad.def(1): error: the file is empty"},
      {"a name that does not fit", "LIBRARY " + std::string(256, 'a') + "\nEXPORTS\n  f\n",
       "bad.def(1): error: the DLL name is 256 characters long and does not fit"},
      // On x86 both names would be the symbol _f@4: a caller could get either.
      {"two exports, one symbol", "LIBRARY bad.dll\nEXPORTS\n  f@4\n  _f@4\n",
       "bad.def(4): error: '_f@4' and 'f@4' (line 3) would both be the symbol '_f@4'"},
  };
  for (const BadDefRun& c : cases) {
    TempDir dir;
    blackbox::write_file(dir / "bad.def", c.text);
    Result r = link(dir, {"-lib", "-nologo", "-machine:ix86", "-out:bad.lib", "-def:bad.def"});
    EXPECT_NE(r.status, 0) << c.what;
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_EQ(r.err.rfind(c.expected_start, 0), 0u) << c.what << ": " << r.err;
    EXPECT_EQ(linktest::lines(r.err).size(), 1u) << c.what << ": " << r.err;
    EXPECT_EQ(blackbox::list_dir(dir.path()), std::vector<std::string>{"bad.def"}) << c.what;
  }
}

TEST(LinkCli, AFailedWriteLeavesNoTemporaryFileAndKeepsTheOldLibrary) {
  TempDir dir;
  blackbox::write_file(dir / "foo.def", kVortaneDef);
  blackbox::write_file(dir / "foo.lib", "old library");
  // foo.exp is a directory that is not empty: the export file cannot take its place.
  blackbox::make_dir(dir / "foo.exp");
  blackbox::write_file(dir / "foo.exp/keep", "x");
  Result r = link(dir, {"-lib", "-nologo", "-machine:ix86", "-out:foo.lib", "-def:foo.def"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("foo.exp"), std::string::npos) << r.err;
  EXPECT_EQ(blackbox::list_dir(dir.path()), (std::vector<std::string>{"foo.def", "foo.exp", "foo.lib"}));
  EXPECT_EQ(blackbox::read_file(dir / "foo.lib"), "old library");
  EXPECT_EQ(blackbox::list_dir(dir / "foo.exp"), std::vector<std::string>{"keep"});

  // A directory that does not exist: nothing can be written at all.
  Result r2 = link(dir, {"-lib", "-nologo", "-machine:ix86", "-out:absent/foo.lib", "-def:foo.def"});
  EXPECT_NE(r2.status, 0);
  EXPECT_NE(r2.err.find("absent/foo"), std::string::npos) << r2.err;
  EXPECT_EQ(blackbox::list_dir(dir.path()), (std::vector<std::string>{"foo.def", "foo.exp", "foo.lib"}));
}

}  // namespace
