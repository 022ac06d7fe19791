// The library build as vortane drives it, seen through a fake LINK that
// records its arguments, says something, leaves an export file behind and
// exits with the status it is told to.
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "blackbox.h"
#include "pe_writer.h"

using blackbox::Result;
using blackbox::TempDir;

namespace {

// One argument a line, a line "--" after each run.
const char kFakeLinker[] =
    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> link-args.txt\n"
    "echo -- >> link-args.txt\n"
    "echo 'fake linker output'\n"
    "echo 'fake linker error' >&2\n"
    "for a in \"$@\"; do case \"$a\" in -out:*) out=\"${a#-out:}\";; esac; done\n"
    "[ -n \"$out\" ] && : > \"${out%.*}.exp\"\n"
    "exit ${FAKE_LINK_STATUS:-0}\n";

pe_fixture::Bytes dll(uint16_t machine, bool pe32_plus = false) {
  pe_fixture::ExportTable table;
  table.add("Close", 0x1010).add("Open", 0x1020);
  pe_fixture::Image image = pe_fixture::simple_dll(table, pe32_plus);
  image.machine = machine;
  return image.build();
}

class LinkerRun : public ::testing::Test {
 protected:
  void SetUp() override { blackbox::install_vortane(dir_.path(), kFakeLinker); }
  Result run(const std::vector<std::string>& args, const std::string& status = "0") {
    return blackbox::run(dir_ / "vortane", args, dir_.path(), {{"FAKE_LINK_STATUS", status}});
  }
  std::string args() { return blackbox::read_file(dir_ / "link-args.txt"); }
  TempDir dir_;
};

TEST_F(LinkerRun, CommandLineForEachMachine) {
  struct Case {
    uint16_t machine;
    bool pe32_plus;
    std::string option;  // "" when there is none
  } cases[] = {
      {0x014c, false, " -machine:ix86"}, {0x8664, true, " -machine:x64"},
      {0xaa64, true, " -machine:arm64"}, {0x01c4, false, " -machine:arm"},
      {0x0184, false, " -machine:Alpha"}, {0x0200, true, " -machine:ia64"},
      {0x0284, true, " -machine:Alpha64"}, {0x0166, false, ""},
  };
  for (const auto& c : cases) {
    blackbox::write_file(dir_ / "m.dll", dll(c.machine, c.pe32_plus));
    unlink((dir_ / "link-args.txt").c_str());
    Result r = run({"-x", "m.dll"});
    std::string cmd = "LINK -lib -nologo" + c.option + " -out:m.lib -def:m.def";
    EXPECT_NE(r.out.find("\nCmd: " + cmd + "\nfake linker output\nfake linker error\n"
                         "\n   Removing extra file: m.exp\n"),
              std::string::npos)
        << r.out;
    std::string expected = "-lib\n-nologo\n" +
                           (c.option.empty() ? "" : c.option.substr(1) + "\n") +
                           "-out:m.lib\n-def:m.def\n--\n";
    EXPECT_EQ(args(), expected) << c.machine;
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(blackbox::file_exists(dir_ / "m.exp"));
  }
}

TEST_F(LinkerRun, LoggingOffDiscardsTheLinkersOutput) {
  blackbox::write_file(dir_ / "m.dll", dll(0x014c));
  Result r = run({"-x", "-l", "m.dll"});
  EXPECT_EQ(r.out,
            "Doing spec: m.dll\n"
            "Dump of file: " + (dir_ / "m.dll") + "\n"
            "Cmd: LINK -lib -nologo -machine:ix86 -out:m.lib -def:m.def>NUL\n");
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(blackbox::file_exists(dir_ / "m.exp"));  // deleted all the same
  EXPECT_TRUE(blackbox::file_exists(dir_ / "m.def"));
}

TEST_F(LinkerRun, AFailedLinkerIsReportedAndTheExportFileStillGoes) {
  blackbox::write_file(dir_ / "m.dll", dll(0x8664, true));
  blackbox::copy_file(blackbox::sample_dll(), dir_ / "next.dll");
  Result r = run({"m.dll", "next.dll"}, "3");
  EXPECT_NE(r.out.find("fake linker output\nfake linker error\n"
                       "\n?Import library not made: m.lib - Error: 0x3 (3.)\n"
                       "\n   Removing extra file: m.exp\n"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(blackbox::file_exists(dir_ / "m.exp"));
  EXPECT_NE(r.out.find("Processing:     " + (dir_ / "next.dll")), std::string::npos);  // goes on
  EXPECT_EQ(r.status, 2);

  // Logging off: the failure is still said.
  r = run({"-l", "m.dll"}, "1");
  EXPECT_EQ(r.out, "\n?Import library not made: m.lib - Error: 0x1 (1.)\n");
  EXPECT_EQ(r.status, 2);
}

TEST_F(LinkerRun, ALinkerThatCannotBeStarted) {
  blackbox::write_file(dir_ / "LINK", std::string("\x7f" "ELF garbage", 12));  // not runnable
  chmod((dir_ / "LINK").c_str(), 0755);
  blackbox::write_file(dir_ / "m.dll", dll(0x014c));
  Result r = run({"-l", "m.dll"});
  EXPECT_EQ(r.out.rfind("\n?Import library not made: m.lib - Error: 0x", 0), 0u) << r.out;
  EXPECT_EQ(r.status, 2);
}

TEST_F(LinkerRun, FileNamesReachTheLinkerAsSingleArguments) {
  struct Case {
    std::string dll, shown_out, shown_def, out, def;
  } cases[] = {
      {"a b.dll", "\"a b.lib\"", "\"a b.def\"", "a b.lib", "a b.def"},
      {"x;touch PWNED;.dll", "\"x;touch PWNED;.lib\"", "\"x;touch PWNED;.def\"",
       "x;touch PWNED;.lib", "x;touch PWNED;.def"},
      {"a&b.dll", "a&b.lib", "a&b.def", "a&b.lib", "a&b.def"},
      {"$(touch PWNED).dll", "\"$(touch PWNED).lib\"", "\"$(touch PWNED).def\"",
       "$(touch PWNED).lib", "$(touch PWNED).def"},
      {"q\"uote.dll", "\"q\\\"uote.lib\"", "\"q\\\"uote.def\"", "q\"uote.lib", "q\"uote.def"},
      {"libglib-2.0-0.dll", "libglib-2.0-0.lib", "libglib-2.0-0.def", "libglib-2.0-0.lib",
       "libglib-2.0-0.def"},
      {".dll", ".lib", ".def", ".lib", ".def"},  // a name that begins with its dot
  };
  for (const auto& c : cases) {
    blackbox::write_file(dir_ / c.dll, dll(0x014c));
    unlink((dir_ / "link-args.txt").c_str());
    Result r = run({"-x", c.dll});
    EXPECT_NE(r.out.find("Cmd: LINK -lib -nologo -machine:ix86 -out:" + c.shown_out + " -def:" +
                         c.shown_def + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(args(), "-lib\n-nologo\n-machine:ix86\n-out:" + c.out + "\n-def:" + c.def + "\n--\n");
    EXPECT_TRUE(blackbox::file_exists(dir_ / c.def)) << c.def;
    EXPECT_FALSE(blackbox::file_exists(dir_ / "PWNED"));
  }
}

TEST_F(LinkerRun, SeveralDotsAndAnUnknownMachine) {
  blackbox::write_file(dir_ / "a.b.dll", dll(0x0000));
  Result r = run({"-x", "a.b.dll"});
  EXPECT_NE(r.out.find("Cmd: LINK -lib -nologo -out:a.b.lib -def:a.b.def\n"), std::string::npos);
  EXPECT_NE(r.out.find("   Removing extra file: a.b.exp\n"), std::string::npos);
}

TEST_F(LinkerRun, TheLinkerStartedIsTheOneTheCheckFound) {
  TempDir elsewhere;
  blackbox::write_script(elsewhere / "LINK", "touch WRONG-LINKER\n");
  blackbox::write_file(dir_ / "m.dll", dll(0x014c));
  Result r = blackbox::run(dir_ / "vortane", {"m.dll"}, dir_.path(),
                           {{"PATH", elsewhere.path() + ":/usr/bin:/bin"}, {"COMSPEC", "/bin/false"}});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(blackbox::file_exists(dir_ / "WRONG-LINKER"));
  EXPECT_EQ(args(), "-lib\n-nologo\n-machine:ix86\n-out:m.lib\n-def:m.def\n--\n");
}

TEST_F(LinkerRun, ASecondDllOfTheSameNameInOneRunIsRefused) {
  blackbox::make_dir(dir_ / "x64");
  blackbox::make_dir(dir_ / "x86");
  blackbox::write_file(dir_ / "x64/FOO.dll", dll(0x8664, true));
  blackbox::write_file(dir_ / "x86/foo.dll", dll(0x014c));
  Result r = run({"-s", "*.dll"});
  // x64 comes first in the scan; its .def and its library are kept.
  EXPECT_NE(r.out.find("   Creating file:  FOO.def\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("   Processing:     x86/foo.dll\n\n\n?Already made in this run: foo.def\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("Creating file:  foo.def"), std::string::npos);
  EXPECT_EQ(args(), "-lib\n-nologo\n-machine:x64\n-out:FOO.lib\n-def:FOO.def\n--\n");
  EXPECT_EQ(r.status, 2);
}

TEST_F(LinkerRun, ADefFileThatDoesNotReachTheDiskWholeMakesNoLibrary) {
  if (!blackbox::file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  blackbox::write_file(dir_ / "m.dll", dll(0x014c));
  ASSERT_EQ(symlink("/dev/full", (dir_ / "m.def").c_str()), 0);  // every write fails: disk full
  Result r = run({"m.dll"});
  EXPECT_NE(r.out.find("   Creating file:  m.def\n\n   Original DLL Name:  SAMPLE.dll\n\n"
                       "\n?Can't write file: m.def\n"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(blackbox::file_exists(dir_ / "link-args.txt"));  // the linker is not run
  EXPECT_FALSE(blackbox::file_exists(dir_ / "m.def"));
  EXPECT_EQ(r.status, 2);
}

TEST_F(LinkerRun, ADllNamedLikeItsOwnOutputIsLeftAlone) {
  const pe_fixture::Bytes image = dll(0x014c);
  const std::string bytes(image.begin(), image.end());
  struct Case {
    std::string file, output;
  } cases[] = {{"x.def", "x.def"}, {"x.lib", "x.lib"}, {"x.exp", "x.exp"}, {"x.b.lib", "x.b.lib"}};
  for (const auto& c : cases) {
    blackbox::write_file(dir_ / c.file, bytes);
    Result r = run({"-e", "-m", c.file});
    EXPECT_NE(r.out.find("\n\n?Output would overwrite the DLL itself: " + c.output + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Creating file"), std::string::npos);
    EXPECT_EQ(blackbox::read_file(dir_ / c.file), bytes) << c.file;
    EXPECT_FALSE(blackbox::file_exists(dir_ / "link-args.txt"));
    EXPECT_EQ(r.status, 2);
    unlink((dir_ / c.file).c_str());
  }
  // The same file under another name: a link in the current directory.
  blackbox::make_dir(dir_ / "in");
  blackbox::write_file(dir_ / "in/m.dll", bytes);
  ASSERT_EQ(symlink((dir_ / "in/m.dll").c_str(), (dir_ / "m.def").c_str()), 0);
  Result r = run({"in/m.dll"});
  EXPECT_NE(r.out.find("?Output would overwrite the DLL itself: m.def\n"), std::string::npos) << r.out;
  EXPECT_EQ(blackbox::read_file(dir_ / "in/m.dll"), bytes);
}

}  // namespace
