// The default run end to end, with the real LINK: a DLL built by clang and
// lld-link alone in a fresh directory, `vortane DLL`, then a program linked
// by lld-link against nothing but the library vortane made, run under wine.
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "blackbox.h"

using blackbox::Result;
using blackbox::TempDir;

namespace {

const char kDllSource[] = R"(
extern "C" {
__declspec(dllexport) int twice(int x) { return 2 * x; }
__declspec(dllexport) int base_value = 20;
#if defined(_M_IX86)
__declspec(dllexport) int __stdcall thrice(int x) { return 3 * x; }
#endif
}
__declspec(dllexport) int mul(int a, int b) { return a * b; }
)";

// Each call that works sets a bit; 64 says the program ran at all.
const char kProgramSource[] = R"(
extern "C" {
__declspec(dllimport) int twice(int);
__declspec(dllimport) extern int base_value;
#if defined(_M_IX86)
__declspec(dllimport) int __stdcall thrice(int);
#endif
}
__declspec(dllimport) int mul(int, int);
extern "C" int entry(void) {
  int ok = 64;
  if (twice(21) == 42) ok |= 1;
  if (base_value == 20) ok |= 2;
  if (mul(6, 7) == 42) ok |= 4;
#if defined(_M_IX86)
  if (thrice(5) == 15) ok |= 8;
#else
  ok |= 8;
#endif
  return ok;
}
)";

struct Target {
  const char* label;
  const char* triple;
  const char* machine;  // lld-link's
};

void PrintTo(const Target& t, std::ostream* os) { *os << t.label; }

const Target kTargets[] = {{"x86", "i686-pc-windows-msvc", "x86"},
                           {"x64", "x86_64-pc-windows-msvc", "x64"}};

bool have_tools(std::string* missing) {
  for (const char* tool : {"clang", "lld-link", "wine"}) {
    if (!blackbox::have_tool(tool)) {
      *missing = std::string(tool) + " is not installed";
      return false;
    }
  }
  return true;
}

Result tool(const std::string& name, const std::vector<std::string>& args, const std::string& cwd) {
  for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
    if (blackbox::file_exists(dir + name)) return blackbox::run(dir + name, args, cwd);
  }
  Result r;
  r.err = name + " not found";
  return r;
}

// Compiles `source` for the target into `stem`.obj in `dir`.
void compile(const Target& t, const std::string& dir, const std::string& stem,
             const std::string& source) {
  blackbox::write_file(dir + "/" + stem + ".cpp", source);
  Result r = tool("clang", {"-target", t.triple, "-O1", "-c", stem + ".cpp", "-o", stem + ".obj"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
}

// Links `stem`.obj in `dir` against nothing but `library` into `stem`.exe.
void link_program(const Target& t, const std::string& dir, const std::string& stem,
                  const std::string& library) {
  Result r = tool("lld-link", {"/nologo", "/entry:entry", "/subsystem:console", "/nodefaultlib",
                               std::string("/machine:") + t.machine, "/out:" + stem + ".exe",
                               stem + ".obj", library},
                  dir);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
}

// vortane and LINK live apart from the directory they work in.
class EndToEnd : public ::testing::TestWithParam<Target> {
 protected:
  void SetUp() override {
    std::string missing;
    if (!have_tools(&missing)) GTEST_SKIP() << missing;
    blackbox::copy_file(blackbox::vortane_bin(), tools_ / "vortane");
    blackbox::copy_file(blackbox::link_bin(), tools_ / "LINK");
  }
  Result vortane(const std::vector<std::string>& args, const std::string& cwd) {
    return blackbox::run(tools_ / "vortane", args, cwd);
  }
  Result wine(const std::string& dir, const std::string& program) {
    return blackbox::run("/usr/bin/wine", {program}, dir, {{"WINEDEBUG", "-all"}});
  }
  TempDir tools_;
};

TEST_P(EndToEnd, AProgramLinkedAgainstTheLibraryCallsTheDll) {
  const Target& t = GetParam();
  TempDir build, work;
  ASSERT_NO_FATAL_FAILURE(compile(t, build.path(), "dll", kDllSource));
  Result r = tool("lld-link", {"/nologo", "/dll", "/noentry", "/nodefaultlib",
                               std::string("/machine:") + t.machine, "/out:calc.dll",
                               "/implib:thrown-away.lib", "dll.obj"},
                  build.path());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  blackbox::copy_file(build / "calc.dll", work / "calc.dll");

  r = vortane({"calc.dll"}, work.path());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(blackbox::list_dir(work.path()),
            (std::vector<std::string>{"calc.def", "calc.dll", "calc.lib"}));

  ASSERT_NO_FATAL_FAILURE(compile(t, work.path(), "program", kProgramSource));
  ASSERT_NO_FATAL_FAILURE(link_program(t, work.path(), "program", "calc.lib"));
  Result w = wine(work.path(), "program.exe");
  EXPECT_EQ(w.status, 64 | 15) << t.label << ": " << w.err;
}

// A DLL of the platform, Wine's own kernel32, with nothing else to link
// against: a line written with WriteFile, the exit code from ExitProcess.
TEST_P(EndToEnd, ASystemDllOfWine) {
  const Target& t = GetParam();
  const std::string kernel32 = std::string(t.label) == std::string("x64")
                                   ? "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/kernel32.dll"
                                   : "/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll";
  if (!blackbox::file_exists(kernel32)) GTEST_SKIP() << kernel32 << " is not installed";
  TempDir work;
  blackbox::copy_file(kernel32, work / "kernel32.dll");
  Result r = vortane({"-l", "kernel32.dll"}, work.path());
  ASSERT_EQ(r.status, 0) << r.out;
  unlink((work / "kernel32.dll").c_str());  // the program must load the system's own

  compile(t, work.path(), "hello", R"(
typedef void* HANDLE;
extern "C" {
__declspec(dllimport) HANDLE __stdcall GetStdHandle(unsigned long);
__declspec(dllimport) int __stdcall WriteFile(HANDLE, const void*, unsigned long, unsigned long*, void*);
__declspec(dllimport) void __stdcall ExitProcess(unsigned);
int entry(void) {
  static const char line[] = "hello through our kernel32.lib\n";
  unsigned long written = 0;
  WriteFile(GetStdHandle((unsigned long)-11), line, sizeof line - 1, &written, 0);
  ExitProcess(written == sizeof line - 1 ? 42 : 1);
  return 0;
}
})");
  // x86 callers reference _GetStdHandle@4, a name a library made from names
  // alone cannot know; only x64 links by name as it stands.
  if (std::string(t.label) != "x64") GTEST_SKIP() << "stdcall callers need _f@N names on x86";
  ASSERT_NO_FATAL_FAILURE(link_program(t, work.path(), "hello", "kernel32.lib"));
  Result w = wine(work.path(), "hello.exe");
  EXPECT_EQ(w.status, 42) << w.err;
  EXPECT_EQ(w.out, "hello through our kernel32.lib\n");
}

INSTANTIATE_TEST_SUITE_P(Machines, EndToEnd, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
