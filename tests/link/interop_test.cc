// Real linker, real loader: a DLL built with clang and lld-link, an import
// library made by LINK from a hand-written .def, a program linked against
// it by lld-link, its import table read by llvm-readobj, and the program run
// under wine, whose exit code says which calls into the DLL worked. The
// .exp is put to the same test: a second DLL is linked from it instead of a
// .def and must export the same table.
#include <gtest/gtest.h>

#include <algorithm>

#include "blackbox.h"
#include "link_test_util.h"

namespace {

using blackbox::Result;
using blackbox::TempDir;

const char kDllSource[] = R"(
extern "C" {
int add(int a, int b) { return a + b; }
int counter = 7;
int bump(void) { return ++counter; }
int by_ord(void) { return 5; }
#if defined(_M_IX86)
int __stdcall st_ms(int x) { return x * 2; }
int __stdcall st_gnu(int x) { return x * 3; }
int __fastcall fast(int a, int b) { return a * b; }
#endif
}
int mul(int a, int b) { return a * b + 1; }
)";

// The program: every check that works sets one bit; 128 marks that the
// entry point ran at all.
const char kExeSource[] = R"(
extern "C" {
__declspec(dllimport) int add(int, int);
__declspec(dllimport) extern int counter;
int bump(void);
int by_ord(void);
#if defined(_M_IX86)
int __stdcall st_ms(int);
int __stdcall st_gnu(int);
int __fastcall fast(int, int);
#endif
}
int mul(int, int);
extern "C" int entry(void) {
  int ok = 128;
  if (add(2, 3) == 5) ok |= 1;
  if (counter == 7 && bump() == 8 && counter == 8) ok |= 2;
  if (by_ord() == 5) ok |= 4;
#if defined(_M_IX86)
  if (st_ms(4) == 8) ok |= 8;
  if (st_gnu(4) == 12) ok |= 16;
  if (fast(6, 7) == 42) ok |= 32;
#endif
  if (mul(3, 4) == 13) ok |= 64;
  return ok;
}
)";

const char* const kCheckNames[] = {"add (cdecl)", "counter (DATA)", "by_ord (NONAME @7)",
                                "_st_ms@4 (MSVC stdcall)", "st_gnu@4 (MinGW stdcall)",
                                "@fast@8 (fastcall)", "?mul@@YAHHH@Z (C++)"};

std::string failed_checks(int status, int expected) {
  std::string s;
  for (int bit = 0; bit < 7; ++bit) {
    if ((expected & (1 << bit)) && !(status & (1 << bit))) s += std::string(" ") + kCheckNames[bit];
  }
  return s;
}

struct Target {
  const char* label;
  const char* triple;
  const char* lld_machine;
  const char* link_machine;
  bool x86;
  bool runs;  // wine can run it here
};

const Target kTargets[] = {
    {"x86", "i686-pc-windows-msvc", "x86", "ix86", true, true},
    {"x64", "x86_64-pc-windows-msvc", "x64", "x64", false, true},
    {"arm64", "aarch64-pc-windows-msvc", "arm64", "arm64", false, false},
    {"arm", "thumbv7-pc-windows-msvc", "arm", "arm", false, false},
};

void PrintTo(const Target& t, std::ostream* os) { *os << t.label; }

// How the DLL itself is linked: the export names as the DLL must show them.
std::string dll_build_def(const Target& t) {
  std::string d = "LIBRARY test.dll\nEXPORTS\n  add\n  counter DATA\n  bump\n  by_ord @7 NONAME\n";
  if (t.x86) d += "  _st_ms@4\n  st_gnu@4=_st_gnu@4\n  @fast@8\n";
  return d + "  ?mul@@YAHHH@Z\n";
}

// The hand-written .def LINK gets: the names exactly as the DLL exports them.
std::string library_def(const Target& t) {
  std::string d = "LIBRARY \"test.dll\"\r\n\r\nEXPORTS\r\n    add\r\n    counter DATA\r\n    bump\r\n"
                  "    by_ord @7 NONAME\r\n";
  if (t.x86) d += "    _st_ms@4\r\n    st_gnu@4\r\n    @fast@8\r\n";
  // A forwarder: nothing of the DLL's own, the loader follows the text.
  return d + "    ?mul@@YAHHH@Z\r\n    heap=KERNEL32.HeapAlloc\r\n";
}

std::vector<std::string> expected_imports(const Target& t) {
  std::vector<std::string> names = {"add", "counter", "bump", "?mul@@YAHHH@Z"};
  if (t.x86) {
    names.push_back("_st_ms@4");
    names.push_back("st_gnu@4");
    names.push_back("@fast@8");
  }
  std::sort(names.begin(), names.end());
  return names;
}

int expected_status(const Target& t) { return t.x86 ? 255 : 128 | 1 | 2 | 4 | 64; }

bool have_build_tools() {
  return !linktest::tool_path("clang++").empty() && !linktest::tool_path("lld-link").empty() &&
         !linktest::tool_path("llvm-readobj").empty();
}

void compile(const TempDir& dir, const Target& t, const std::string& source, const std::string& obj) {
  blackbox::write_file(dir / (obj + ".cc"), source);
  Result r = linktest::run_tool("clang++", {"-target", t.triple, "-O1", "-fno-exceptions", "-c",
                                            obj + ".cc", "-o", obj + ".obj"},
                                dir.path());
  ASSERT_EQ(r.status, 0) << t.label << ": " << r.err;
}

// The named imports (without the ordinal one) and the ordinals imported,
// as llvm-readobj --coff-imports shows them for `exe`.
void read_imports(const TempDir& dir, const std::string& exe, std::vector<std::string>* names,
                  std::vector<std::string>* ordinals, std::string* dll) {
  Result r = linktest::run_tool("llvm-readobj", {"--coff-imports", exe}, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& line : linktest::lines(r.out)) {
    std::string l = line.substr(std::min(line.find_first_not_of(' '), line.size()));
    if (l.rfind("Name: ", 0) == 0) *dll = l.substr(6);
    if (l.rfind("Symbol: ", 0) != 0) continue;
    std::string sym = l.substr(8);
    size_t paren = sym.rfind(" (");
    std::string name = sym.substr(0, paren);
    if (name.empty()) {
      ordinals->push_back(sym.substr(paren + 2, sym.size() - paren - 3));
    } else {
      names->push_back(name);
    }
  }
  std::sort(names->begin(), names->end());
}

Result run_under_wine(const TempDir& dir, const std::string& exe) {
  return blackbox::run(linktest::tool_path("wine"), {exe}, dir.path(), {{"WINEDEBUG", "-all"}});
}

// Does wine run a trivial program of this target here?
bool wine_runs(const Target& t, std::string* why) {
  if (linktest::tool_path("wine").empty()) {
    *why = "wine not found";
    return false;
  }
  TempDir dir;
  blackbox::write_file(dir / "probe.c", "int entry(void) { return 42; }\n");
  Result c = linktest::run_tool("clang", {"-target", t.triple, "-c", "probe.c", "-o", "probe.obj"}, dir.path());
  Result l = linktest::run_tool("lld-link", {"/nologo", "/entry:entry", "/nodefaultlib", "/subsystem:console",
                                             std::string("/machine:") + t.lld_machine, "/out:probe.exe",
                                             "probe.obj"},
                                dir.path());
  Result w = run_under_wine(dir, "probe.exe");
  if (c.status != 0 || l.status != 0 || w.status != 42) {
    *why = std::string("wine does not run ") + t.label + " programs here (status " +
           std::to_string(w.status) + ")";
    return false;
  }
  return true;
}

class LinkInterop : public ::testing::TestWithParam<Target> {};

TEST_P(LinkInterop, ProgramLinkedAgainstOurLibraryCallsTheDll) {
  const Target& t = GetParam();
  if (!have_build_tools()) GTEST_SKIP() << "clang++, lld-link or llvm-readobj not found";
  TempDir dir;

  // The DLL, keeping none of the import library lld-link writes.
  compile(dir, t, kDllSource, "dll");
  blackbox::write_file(dir / "dll-build.def", dll_build_def(t));
  Result d = linktest::run_tool(
      "lld-link", {"/nologo", "/dll", "/noentry", "/nodefaultlib", std::string("/machine:") + t.lld_machine,
                   "/def:dll-build.def", "/out:test.dll", "/implib:discarded.lib", "dll.obj"},
      dir.path());
  ASSERT_EQ(d.status, 0) << d.err;
  std::remove((dir / "discarded.lib").c_str());
  std::remove((dir / "discarded.exp").c_str());

  // The import library, by LINK.
  Result k = linktest::make_library(dir, "test", library_def(t), t.link_machine);
  ASSERT_EQ(k.status, 0) << k.err;
  EXPECT_EQ(k.out, "   Creating library test.lib and object test.exp\n");

  // The program, by lld-link against our library only.
  compile(dir, t, kExeSource, "exe");
  Result e = linktest::run_tool(
      "lld-link", {"/nologo", "/entry:entry", "/nodefaultlib", "/subsystem:console",
                   std::string("/machine:") + t.lld_machine, "/out:exe.exe", "exe.obj", "test.lib"},
      dir.path());
  ASSERT_EQ(e.status, 0) << t.label << ": " << e.err;

  std::vector<std::string> names, ordinals;
  std::string dll;
  read_imports(dir, "exe.exe", &names, &ordinals, &dll);
  EXPECT_EQ(dll, "test.dll");
  EXPECT_EQ(names, expected_imports(t)) << t.label;
  EXPECT_EQ(ordinals, std::vector<std::string>{"7"}) << t.label;

  if (!t.runs) return;  // link-only: no loader for it here
  std::string why;
  if (!wine_runs(t, &why)) GTEST_SKIP() << why;
  Result w = run_under_wine(dir, "exe.exe");
  EXPECT_EQ(w.status, expected_status(t))
      << t.label << ": failed:" << failed_checks(w.status, expected_status(t)) << "\n" << w.err;
}

TEST_P(LinkInterop, DllLinkedFromOurExportFileExportsTheTable) {
  const Target& t = GetParam();
  if (!have_build_tools()) GTEST_SKIP() << "clang++, lld-link or llvm-readobj not found";
  TempDir dir;
  compile(dir, t, kDllSource, "dll");
  Result k = linktest::make_library(dir, "test", library_def(t), t.link_machine);
  ASSERT_EQ(k.status, 0) << k.err;
  // No .def for lld-link this time: the export table is our .exp's .edata.
  Result d = linktest::run_tool(
      "lld-link", {"/nologo", "/dll", "/noentry", "/nodefaultlib", std::string("/machine:") + t.lld_machine,
                   "/out:test.dll", "/implib:discarded.lib", "dll.obj", "test.exp"},
      dir.path());
  ASSERT_EQ(d.status, 0) << t.label << ": " << d.err;
  Result x = linktest::run_tool("llvm-readobj", {"--coff-exports", "test.dll"}, dir.path());
  ASSERT_EQ(x.status, 0) << x.err;
  Result h = linktest::run_tool("llvm-readobj", {"--file-headers", "test.dll"}, dir.path());
  ASSERT_EQ(h.status, 0) << h.err;
  unsigned long table_rva = 0, table_size = 0;
  for (const std::string& line : linktest::lines(h.out)) {
    std::string l = line.substr(std::min(line.find_first_not_of(' '), line.size()));
    if (l.rfind("ExportTableRVA: ", 0) == 0) table_rva = std::stoul(l.substr(16), nullptr, 16);
    if (l.rfind("ExportTableSize: ", 0) == 0) table_size = std::stoul(l.substr(17), nullptr, 16);
  }
  std::vector<std::string> names;
  std::string ordinal_of_unnamed;
  std::string last_ordinal, last_name;
  for (const std::string& line : linktest::lines(x.out)) {
    std::string l = line.substr(std::min(line.find_first_not_of(' '), line.size()));
    if (l.rfind("Ordinal: ", 0) == 0) last_ordinal = l.substr(9);
    if (l == "Name:" || l == "Name: ") ordinal_of_unnamed = last_ordinal;
    if (l.rfind("Name: ", 0) == 0) last_name = l.size() > 6 ? l.substr(6) : "";
    if (l.rfind("Name: ", 0) == 0 && l.size() > 6) names.push_back(l.substr(6));
    if (l.rfind("RVA: ", 0) == 0) {
      // A forwarder's address lies inside the export table (it is the text);
      // every other export's lies outside it.
      unsigned long rva = std::stoul(l.substr(5), nullptr, 16);
      bool inside = rva >= table_rva && rva < table_rva + table_size;
      EXPECT_EQ(inside, last_name == "heap") << last_name << " at " << l;
    }
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> want = expected_imports(t);
  want.push_back("bump");
  want.push_back("heap");
  std::sort(want.begin(), want.end());
  want.erase(std::unique(want.begin(), want.end()), want.end());
  EXPECT_EQ(names, want) << x.out;
  EXPECT_EQ(ordinal_of_unnamed, "7") << x.out;

  if (!t.runs) return;
  std::string why;
  if (!wine_runs(t, &why)) GTEST_SKIP() << why;
  compile(dir, t, kExeSource, "exe");
  Result e = linktest::run_tool(
      "lld-link", {"/nologo", "/entry:entry", "/nodefaultlib", "/subsystem:console",
                   std::string("/machine:") + t.lld_machine, "/out:exe.exe", "exe.obj", "test.lib"},
      dir.path());
  ASSERT_EQ(e.status, 0) << e.err;
  Result w = run_under_wine(dir, "exe.exe");
  EXPECT_EQ(w.status, expected_status(t)) << t.label << ": failed:" << failed_checks(w.status, expected_status(t));
}

INSTANTIATE_TEST_SUITE_P(Machines, LinkInterop, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return info.param.label; });

}  // namespace
