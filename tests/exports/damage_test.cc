// Damaged export tables and names that cannot stand in a .def file: each
// gets its one message before anything of the file is printed or created,
// no .def is left, the linker is not run, and the run ends with status 2.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "pe_writer.h"

using pe_fixture::Bytes;
using pe_fixture::ExportLayout;
using pe_fixture::ExportTable;
using pe_fixture::Image;

namespace {

ExportTable base_table() {
  ExportTable t;
  t.dll_name = "D.dll";
  t.add("First", 0x1010).add("Second", 0x1020).add_forwarder("Third", "OTHER.Third");
  return t;
}

// A fixture: the image, with the layout of its export data, and the file
// as a damage step leaves it.
struct Fixture {
  Image image;
  ExportLayout layout;
  Bytes file;
};

Fixture make(const ExportTable& t, const std::function<void(Image&)>& shape = nullptr) {
  Fixture f;
  f.image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
  f.layout = f.image.add_exports(t);
  if (shape) shape(f.image);
  f.file = f.image.build();
  return f;
}

uint32_t at(const Fixture& f, uint32_t rva) { return *f.image.file_offset(rva); }

TEST(Damage, EachKindGetsItsMessage) {
  struct Case {
    const char* what;
    std::function<Bytes()> file;
  };
  const uint32_t huge = 0x7FFFFFF0u;
  std::vector<Case> cases = {
      {"directory cut by the end of the file",
       [] {
         Fixture f = make(base_table());
         f.file.resize(at(f, f.layout.directory) + 39);
         return f.file;
       }},
      {"directory past the end (through the data directory)",
       [] {
         Fixture f = make(base_table(), [](Image& i) {
           i.sections.back().name = ".rdata";
           i.sections.back().virtual_size = 0x100000;
           i.export_rva = 0x2000 + 0x80000;
         });
         return f.file;
       }},
      {"address table past the end", [=] { ExportTable t = base_table(); t.address_of_functions = huge; return make(t).file; }},
      {"name table past the end", [=] { ExportTable t = base_table(); t.address_of_names = huge; return make(t).file; }},
      {"ordinal table past the end", [=] { ExportTable t = base_table(); t.address_of_name_ordinals = huge; return make(t).file; }},
      {"NumberOfNames huge", [] { ExportTable t = base_table(); t.number_of_names = 0xFFFFFFFFu; return make(t).file; }},
      {"NumberOfFunctions huge", [] { ExportTable t = base_table(); t.number_of_functions = 0x40000000u; return make(t).file; }},
      {"ordinal not below NumberOfFunctions", [] { ExportTable t = base_table(); t.names[1].index = 3; return make(t).file; }},
      {"NumberOfFunctions 0 with names", [] { ExportTable t = base_table(); t.number_of_functions = 0; return make(t).file; }},
      {"stored DLL name outside the file", [=] { ExportTable t = base_table(); t.name_rva = huge; return make(t).file; }},
      {"stored DLL name unterminated",
       [] {
         ExportTable t = base_table();
         Fixture f = make(t);
         t.name_rva = f.layout.end - 1;  // the last byte, then the end of the file
         Fixture g = make(t);
         g.file.back() = 'x';
         return g.file;
       }},
      {"export name outside the file",
       [] {
         Fixture f = make(base_table());
         pe_fixture::patch_u32(f.file, at(f, f.layout.names) + 4, 0x7FFFFFFFu);
         return f.file;
       }},
      {"export name unterminated",
       [] {
         ExportTable t;
         t.add("First", 0x1010).add("Last", 0x1020);
         Fixture f = make(t);
         f.file.resize(at(f, f.layout.name_strings[1]) + 4);  // "Last" without its zero
         return f.file;
       }},
      {"forwarding text unterminated",
       [] {
         Fixture f = make(base_table());
         f.file.resize(f.file.size() - 1);  // the text is the last string
         return f.file;
       }},
      {"forwarding text outside the file",
       [] {
         ExportTable t = base_table();
         t.functions[0].rva = 0x2000 + 0x8000;  // in the section's range, past its raw data
         return make(t, [](Image& i) { i.sections.back().virtual_size = 0x10000; }).file;
       }},
      {"many names sharing one long string",
       [] {
         ExportTable t;
         t.add(std::string(2000, 'L'), 0x1010);
         for (int i = 0; i < 3000; ++i) t.names.push_back({"y", 0});
         Fixture f = make(t);
         for (uint32_t i = 1; i <= 3000; ++i)
           pe_fixture::patch_u32(f.file, at(f, f.layout.names) + 4 * i, f.layout.name_strings[0]);
         return f.file;
       }},
  };
  for (const Case& c : cases) {
    Bytes file = c.file();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-e", "-r"}, std::vector<std::string>{}}) {
      harness::Outcome o = harness::run(file, args);
      EXPECT_EQ(o.out, "\n?Damaged export table in x.dll\n") << c.what;
      EXPECT_EQ(o.status, 2) << c.what;
      EXPECT_TRUE(o.files.empty()) << c.what << ": " << o.files.front();
      EXPECT_FALSE(o.linker_ran) << c.what;
    }
  }
}

TEST(Damage, EmptyTablesAreNeverRead) {
  // No names: the name tables may point anywhere; no functions: so may the
  // address table.
  ExportTable t;
  t.dll_name = "E.dll";
  t.address_of_names = 0xFFFFFFF0u;
  t.address_of_name_ordinals = 0x7FFFFFF0u;
  t.address_of_functions = 0xDEADBEEFu;
  harness::Outcome o = harness::run(make(t).file, {"-e", "-l"});
  EXPECT_EQ(o.out,
            "   Original DLL Name:  E.dll\n\n"
            "   # of functions: 00000000 (0.)\n"
            "   # of names:     00000000 (0.)\n"
            "\n   Entry Pt   Ord  Name\n\n");
  EXPECT_EQ(o.status, 0);
}

TEST(Damage, FileAfterADamagedOneIsStillProcessed) {
  blackbox::TempDir dir;
  blackbox::install_vortane(dir.path(), "");
  ExportTable bad = base_table();
  bad.number_of_names = 0xFFFFFFFFu;
  blackbox::write_file(dir / "bad.dll", make(bad).file);
  blackbox::write_file(dir / "good.dll", make(base_table()).file);
  blackbox::Result r = blackbox::run(dir / "vortane", {"-e", "-l", "bad.dll", "good.dll"}, dir.path());
  const std::string first = "\n?Damaged export table in bad.dll\n";
  EXPECT_EQ(r.out.substr(0, first.size()), first);
  EXPECT_NE(r.out.find("   Original DLL Name:  D.dll\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.status, 2);
}

TEST(DefNames, UnusableNamesStopTheLibrary) {
  struct Case {
    const char* what;
    std::string dll_name;
    std::string export_name;
    std::vector<std::string> args;
  } cases[] = {
      {"space", "D.dll", "a b", {}},
      {"equals", "D.dll", "a=b", {}},
      {"semicolon", "D.dll", "a;b", {}},
      {"double quote", "D.dll", "a\"b", {}},
      {"control character", "D.dll", "a\x01" "b", {}},
      {"DEL", "D.dll", "a\x7f", {}},
      {"empty name", "D.dll", "", {}},
      {"quote in the stored name", "D\".dll", "ok", {}},
      {"newline in the stored name", "D\n.dll", "ok", {}},
      {"with -e as well", "D.dll", "a b", {"-m", "-e", "-r"}},
  };
  const std::string message = "\n?Name not usable in a .def file in x.dll\n";
  for (const Case& c : cases) {
    ExportTable t;
    t.dll_name = c.dll_name;
    t.add("Fine", 0x1010).add(c.export_name, 0x1020);
    harness::Outcome o = harness::run(make(t).file, c.args);
    EXPECT_EQ(o.out, message) << c.what;
    EXPECT_EQ(o.status, 2) << c.what;
    EXPECT_TRUE(o.files.empty()) << c.what;
    EXPECT_FALSE(o.linker_ran) << c.what;
  }
}

TEST(DefNames, ListedAsTheyStandWithoutALibrary) {
  ExportTable t;
  t.dll_name = "odd \"name\".dll";
  t.add("a b=c;d", 0x1010).add("", 0x1020);
  harness::Outcome o = harness::run(make(t).file, {"-e", "-l"});
  EXPECT_EQ(o.out,
            "   Original DLL Name:  odd \"name\".dll\n\n"
            "   # of functions: 00000002 (2.)\n"
            "   # of names:     00000002 (2.)\n"
            "\n   Entry Pt   Ord  Name\n"
            "   00001010     1  a b=c;d\n"
            "   00001020     2  \n\n");
  EXPECT_EQ(o.status, 0);
}

TEST(DefNames, FileNameStandsInForTheStoredName) {
  // With -f the LIBRARY line holds the file name: a bad stored name does
  // not matter, a bad file name does.
  ExportTable t;
  t.dll_name = "bad\".dll";
  t.add("Fine", 0x1010);
  harness::Outcome ok = harness::run(make(t).file, {"-f", "-l"});
  EXPECT_EQ(ok.def, "\r\nLIBRARY \"x.dll\"\r\n\r\nEXPORTS\r\n    Fine\r\n\r\n");
  EXPECT_EQ(ok.status, 0);

  t.dll_name = "good.dll";
  harness::Outcome bad = harness::run(make(t).file, {"-f"}, "q\"x.dll");
  EXPECT_EQ(bad.out, "\n?Name not usable in a .def file in q\"x.dll\n");
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(bad.files.empty());
}

}  // namespace
