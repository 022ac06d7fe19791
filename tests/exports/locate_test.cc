// Finding the export directory: the .edata name, the data directory's
// export entry, the section range, the trace lines and the two messages.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "image/sections.h"
#include "pe_writer.h"
#include "vortane/pe_layout.h"

using pe_fixture::Bytes;
using pe_fixture::ExportTable;
using pe_fixture::Image;

namespace {

ExportTable one_export(const std::string& dll_name = "ONE.dll") {
  ExportTable t;
  t.dll_name = dll_name;
  t.add("Only", 0x1010);
  return t;
}

std::string listing_of(const std::string& dll_name) {
  return "   Original DLL Name:  " + dll_name + "\n\n" +
         "   # of functions: 00000001 (1.)\n"
         "   # of names:     00000001 (1.)\n"
         "\n   Entry Pt   Ord  Name\n"
         "   00001010     1  Only\n\n";
}

TEST(SectionLookup, NameCompare) {
  struct Case {
    std::string field;  // the 8 bytes of Name
    bool match;
  } cases[] = {
      {std::string(".edata\0\0", 8), true},  {std::string(".EDATA\0\0", 8), true},
      {std::string(".EData\0\0", 8), true},  {std::string(".edata\0x", 8), true},
      {std::string(".edata1\0", 8), false},  {std::string(".edat\0\0\0", 8), false},
      {std::string("edata\0\0\0", 8), false}, {std::string(".edataXY", 8), false},
      {std::string(".eda\xd4" "a\0\0", 8), false},
  };
  for (const Case& c : cases) {
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x10, 0));
    image.add_section("", 0x2000, Bytes(0x10, 0));
    Bytes file = image.build();
    pe_fixture::patch(file, image.section_header(1), c.field);
    ImageView view(file.data(), file.size());
    std::optional<uint32_t> found = find_section_by_name(".edata", view, image.nt_header());
    EXPECT_EQ(found.has_value(), c.match) << c.field;
    if (found) {
      EXPECT_EQ(*found, image.section_header(1));
    }
  }
}

TEST(SectionLookup, RangeAndTableOrder) {
  Image image;
  image.add_section(".a", 0x1000, Bytes(0x100, 0));
  image.add_section(".zero", 0x2000, Bytes(0x100, 0)).virtual_size = 0;
  image.add_section(".b", 0x2000, Bytes(0x100, 0));
  image.add_section(".c", 0x2000, Bytes(0x100, 0));  // overlaps .b
  image.add_section(".wrap", 0xFFFFFF00u, Bytes(0x10, 0)).virtual_size = 0x200;
  Bytes file = image.build();
  ImageView view(file.data(), file.size());
  struct Case {
    uint32_t rva;
    int section;  // -1: none
  } cases[] = {
      {0x0fff, -1}, {0x1000, 0}, {0x10ff, 0}, {0x1100, -1}, {0x2000, 2},
      {0x20ff, 2},  {0x2100, -1}, {0xFFFFFF00u, -1}, {0, -1},
  };
  for (const Case& c : cases) {
    std::optional<uint32_t> found = find_section_by_rva(c.rva, view, image.nt_header());
    if (c.section < 0) {
      EXPECT_FALSE(found.has_value()) << std::hex << c.rva;
    } else {
      EXPECT_EQ(found, image.section_header(c.section)) << std::hex << c.rva;
    }
  }
}

TEST(SectionLookup, HeadersPastTheEndAreAbsent) {
  Image image;
  image.add_section(".text", 0x1000, Bytes(0x10, 0));
  image.add_section(".edata", 0x2000, Bytes(0x10, 0));
  Bytes file = image.build();
  file.resize(image.section_header(1) + 39);  // the second header cut by one byte
  ImageView view(file.data(), file.size());
  EXPECT_EQ(pe::section_table(view, image.nt_header()).count, 1u);
  EXPECT_FALSE(find_section_by_name(".edata", view, image.nt_header()).has_value());
  EXPECT_FALSE(find_section_by_rva(0x2000, view, image.nt_header()).has_value());
}

// Black-box: what each road prints, with -x, and each message.
TEST(Locate, Roads) {
  struct Case {
    const char* what;
    Image image;
    std::string out;
    int status;
  };
  std::vector<Case> cases;

  {  // .edata wins over a data directory that points elsewhere, and the
     // road by name prints no trace.
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    image.add_exports(one_export("BYNAME.dll"), ".EData", 0x2000);
    image.add_exports(one_export("BYDIR.dll"), ".rdata", 0x3000, 0x40);
    cases.push_back({".edata first", image, listing_of("BYNAME.dll"), 0});
  }
  {  // Through the data directory into .rdata: the two trace lines.
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    image.add_exports(one_export(), ".rdata", 0x3000, 0x40);
    image.sections.back().virtual_size = 0x200;
    cases.push_back({".rdata",
                     image,
                     "Found export dir - RVA=0x00003040\n"
                     " 00003040 address found in   .rdata 00003000<->00003200\n" +
                         listing_of("ONE.dll"),
                     0});
  }
  {  // A name of 8 characters is printed whole and alone.
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    image.add_exports(one_export(), "abcdefgh", 0x3000);
    image.sections.back().virtual_size = 0x1000;
    cases.push_back({"8-character name",
                     image,
                     "Found export dir - RVA=0x00003000\n"
                     " 00003000 address found in abcdefgh 00003000<->00004000\n" +
                         listing_of("ONE.dll"),
                     0});
  }
  {  // Overlapping sections: the first in table order holds it.
    Image image;
    image.add_exports(one_export(), ".first", 0x3000);
    image.sections.back().virtual_size = 0x1000;
    image.add_section(".second", 0x3000, Bytes(0x100, 0xFF)).virtual_size = 0x1000;
    cases.push_back({"overlap",
                     image,
                     "Found export dir - RVA=0x00003000\n"
                     " 00003000 address found in   .first 00003000<->00004000\n" +
                         listing_of("ONE.dll"),
                     0});
  }
  {  // NumberOfSections 65535: the headers past the end count as absent.
    Image image = pe_fixture::simple_dll(one_export());
    image.number_of_sections = 65535;
    cases.push_back({"65535 sections", image, listing_of("ONE.dll"), 0});
  }

  const std::string no_directory = "\n?No Export directory in x.dll?\n";
  const std::string no_section = "\n?No .rdata section in x.dll?\n";
  {
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    cases.push_back({"no export entry", image, no_directory, 2});
  }
  for (const char* name : {".edata1", ".edat", "edata"}) {
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    image.add_exports(one_export(), name, 0x2000, 0, false);
    cases.push_back({name, image, no_directory, 2});
  }
  struct Miss {
    const char* what;
    uint32_t rva;
  } misses[] = {{"below the first section", 0x800},
                {"in a gap", 0x1800},
                {"at VirtualAddress + VirtualSize", 0x3100},
                {"past the last section", 0x9000}};
  for (const Miss& m : misses) {
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    image.add_exports(one_export(), ".rdata", 0x3000);
    image.sections.back().virtual_size = 0x100;
    image.export_rva = m.rva;
    cases.push_back({m.what, image, "Found export dir - RVA=0x" + [](uint32_t v) {
                       char b[16];
                       std::snprintf(b, sizeof b, "%8.8x", v);
                       return std::string(b);
                     }(m.rva) + "\n" + no_section, 2});
  }
  {
    Image image = pe_fixture::simple_dll(one_export());
    image.sections.back().name = ".rdata";
    image.sections.back().virtual_size = 0;  // holds no RVA, though its raw data is there
    cases.push_back({"virtual size 0", image, "Found export dir - RVA=0x00002000\n" + no_section, 2});
  }
  {
    Image image = pe_fixture::simple_dll(one_export());
    image.number_of_sections = 0;
    cases.push_back({"no sections", image, "Found export dir - RVA=0x00002000\n" + no_section, 2});
  }

  for (const Case& c : cases) {
    harness::Outcome o = harness::run(c.image.build(), {"-e", "-x", "-l"});
    EXPECT_EQ(o.out, "Doing spec: x.dll\nDump of file: " + o.path + "\n" + c.out) << c.what;
    EXPECT_EQ(o.status, c.status) << c.what;
  }
}

TEST(Locate, TruncatedSectionTable) {
  // The .edata header is cut off: it is absent, and no other section holds
  // the export entry's RVA.
  Image image = pe_fixture::simple_dll(one_export());
  Bytes file = image.build();
  file.resize(image.section_header(1) + 20);
  harness::Outcome o = harness::run(file, {"-e"});
  EXPECT_EQ(o.out, "\n?No .rdata section in x.dll?\n");
  EXPECT_EQ(o.status, 2);
}

}  // namespace
