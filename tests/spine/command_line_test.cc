// The command line: switches, help, version, the default mode, the linker
// presence check and the exit status.
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blackbox.h"

using blackbox::Result;
using blackbox::TempDir;

namespace {

const char kUsage[] =
    "\n"
    "  Usage is: VORTANE [-sw -sw] filespec [filespec...]\n"
    "\n"
    "  Switches are:\n"
    "    m    Make an import library [default unless -e is used]\n"
    "    e    List exports from DLL\n"
    "    f    Use DLL real filename instead of exported file name\n"
    "    r    Show DLL export header information\n"
    "    l    Toggle logging of operations (normally on)\n"
    "    k    Only search in current directory for file\n"
    "    s    Iterate over subdirectories\n"
    "    v    Display program version information\n"
    "    ?    Display this help message\n";

// The banner line, whose build date and time are fixed when vortane is built.
const std::regex kBanner(
    "\n  VORTANE - Version: V2\\.03   Built: "
    "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 0-9][0-9] [0-9]{4}  "
    "[0-9]{2}:[0-9]{2}:[0-9]{2}\n");

// A copy of vortane in a directory of its own, run in an empty working
// directory with a PATH that holds no LINK (but coreutils' `link`).
class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    blackbox::make_dir(root_ / "bin");
    blackbox::make_dir(root_ / "work");
  }
  void with_linker() { blackbox::write_script(root_ / "bin/LINK", "exit 0\n"); }
  Result run(const std::vector<std::string>& args) {
    if (!blackbox::file_exists(root_ / "bin/vortane")) blackbox::install_vortane(root_ / "bin", "");
    return blackbox::run(root_ / "bin/vortane", args, root_ / "work",
                         {{"PATH", "/usr/bin:/bin"}, {"LIB", ""}});
  }
  TempDir root_;
};

bool is_banner_then(const std::string& out, const std::string& rest) {
  std::smatch m;
  return std::regex_search(out, m, kBanner, std::regex_constants::match_continuous) &&
         out.substr(static_cast<size_t>(m.length(0))) == rest;
}

TEST_F(CommandLine, HelpSwitchesPrintBannerAndUsage) {
  for (const char* sw : {"-?", "-h", "-H", "-help", "-hx"}) {
    Result r = run({sw, "nosuch.dll"});
    EXPECT_EQ(r.status, 0) << sw;
    EXPECT_TRUE(is_banner_then(r.out, kUsage)) << sw << ":\n" << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(CommandLine, VersionSwitchPrintsBannerOnly) {
  for (const char* sw : {"-v", "-V"}) {
    Result r = run({sw});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(is_banner_then(r.out, "")) << r.out;
  }
}

TEST_F(CommandLine, InvalidSwitches) {
  struct Case {
    std::vector<std::string> args;
    std::string shown;  // the switch character as the message shows it
  } cases[] = {
      {{"-q"}, "q"},
      {{"-Q"}, "q"},            // folded before it is reported
      {{"-"}, std::string(1, '\0')},  // a bare prefix: the NUL itself
      {{"--help"}, "-"},
      {{"-q", "-?"}, "q"},      // the first switch that ends the walk decides
      {{"-e", "-\xe9"}, "\xe9"},  // bytes above 127 are not folded
  };
  for (const auto& c : cases) {
    Result r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0];
    EXPECT_EQ(r.out, "\n?Invalid switch '" + c.shown + "' - Use ? for help\n") << c.args[0];
  }
}

TEST_F(CommandLine, HelpBeforeAnInvalidSwitchWins) {
  Result r = run({"-?", "-q"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(is_banner_then(r.out, kUsage));
}

TEST_F(CommandLine, NoFileSpec) {
  const std::string no_names = "\n?No file name(s) specified - Use ? for help\n";
  const std::string no_linker = "\n?Required image (LINK) not in PATH\n";
  struct Case {
    std::vector<std::string> args;
    bool linker_present;
    std::string out;
  } cases[] = {
      {{}, true, no_names},
      {{}, false, no_linker},          // coreutils' `link` along PATH is no linker
      {{"-e"}, false, no_names},       // listing only: no linker check
      {{"-e", "-e"}, false, no_linker},  // cancelled: the default mode again
      {{"-m", "-m"}, false, no_linker},  // cleared, then set by the default mode
      {{"-e", "-m"}, false, no_linker},
      {{"-l", "-x"}, true, no_names},
  };
  for (const auto& c : cases) {
    TempDir root;
    blackbox::install_vortane(root.path(), c.linker_present ? "exit 0\n" : "");
    Result r = blackbox::run(root / "vortane", c.args, root.path(), {{"PATH", "/usr/bin:/bin"}});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, c.out) << ::testing::PrintToString(c.args);
  }
}

TEST_F(CommandLine, LinkerIsFoundAlongPathToo) {
  TempDir tools;
  blackbox::write_script(tools / "LINK", "exit 0\n");
  blackbox::install_vortane(root_ / "bin", "");
  Result r = blackbox::run(root_ / "bin/vortane", {}, root_ / "work",
                           {{"PATH", tools.path() + ":/usr/bin:/bin"}});
  EXPECT_EQ(r.out, "\n?No file name(s) specified - Use ? for help\n");
}

TEST_F(CommandLine, AFailedSpecEndsTheLoopAndTheRunWithStatus2) {
  blackbox::copy_file(blackbox::sample_dll(), root_ / "work/good.dll");
  Result r = run({"-e", "-l", "missing", "good.dll"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "\n?Can't find file: missing\n");  // good.dll is not taken up
}

TEST_F(CommandLine, AnEmptyArgumentIsAFileSpec) {
  Result r = run({"-e", ""});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "\n?Can't find file: \n");
}

TEST_F(CommandLine, AnAbsolutePathIsAFileSpecNotASwitch) {
  blackbox::copy_file(blackbox::sample_dll(), root_ / "work/s.dll");
  // A leading slash begins a path: /srv... must not toggle -s, /t... is no
  // invalid switch.
  Result r = run({"-e", "-x", root_ / "work/s.dll"});
  EXPECT_NE(r.out.find("Processing:     " + (root_ / "work/s.dll") + "\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("Invalid switch"), std::string::npos);
}

TEST_F(CommandLine, SwitchesAfterTheLastSpecStillApply) {
  Result r = run({"missing", "-l"});  // -l turns logging off... and the linker is missing
  EXPECT_EQ(r.out, "\n?Required image (LINK) not in PATH\n");
  with_linker();
  r = run({"-e", "missing", "-x"});
  EXPECT_EQ(r.out, "Doing spec: missing\n\n?Can't find file: missing\n");
}

TEST_F(CommandLine, NothingGoesToStandardError) {
  for (std::vector<std::string> args : {std::vector<std::string>{"-q"}, {"-?"}, {}, {"-e", "x"}}) {
    EXPECT_EQ(run(args).err, "");
  }
}

}  // namespace
