// The export walk seen from outside: the listing rows, the header report,
// the forwarder range and the .def file, byte for byte.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "pe_writer.h"

using pe_fixture::Bytes;
using pe_fixture::ExportTable;
using pe_fixture::Image;

namespace {

// Entry points, a forwarder, ordinals out of name order, a function
// without a name and an ordinal base of 5.
ExportTable mixed_table() {
  ExportTable t;
  t.dll_name = "SAMPLE.dll";
  t.base = 5;
  t.functions = {{0x1010, ""}, {0, "OTHER.ReadData"}, {0x1030, ""}, {0x1040, ""}};
  t.names = {{"Close", 3}, {"Open", 0}, {"Read", 1}};
  return t;
}

const char kMixedRows[] =
    "\n"
    "   Entry Pt   Ord  Name\n"
    "   00001040     8  Close\n"
    "   00001010     5  Open\n"
    "                6  Read  Fwd to: OTHER.ReadData\n"
    "\n";

const char kMixedCounts[] =
    "   # of functions: 00000004 (4.)\n"
    "   # of names:     00000003 (3.)\n";

TEST(Listing, RowsCountsAndNames) {
  harness::Outcome o = harness::run(pe_fixture::simple_dll(mixed_table()).build(), {"-e"});
  EXPECT_EQ(o.out, std::string("   Original DLL Name:  SAMPLE.dll\n\n") + kMixedCounts + kMixedRows);
  EXPECT_EQ(o.status, 0);
  EXPECT_TRUE(o.files.empty()) << "a listing writes no file";
  EXPECT_FALSE(o.linker_ran);
}

TEST(Listing, HeaderReport) {
  ExportTable t = mixed_table();
  t.characteristics = 0x12345678;
  t.time_date_stamp = 0x5f3e1a2b;
  t.major_version = 1;
  t.minor_version = 5;
  const std::string names = "   Original DLL Name:  SAMPLE.dll\n\n";
  const std::string header = std::string(kMixedCounts) +
                             "   Ordinal base:   00000005\n"
                             "   Characteristics:12345678\n"
                             "   TimeDate stamp: 5f3e1a2b\n"
                             "   Version:        1.05\n";
  Bytes file = pe_fixture::simple_dll(t).build();
  harness::Outcome both = harness::run(file, {"-e", "-r"});
  EXPECT_EQ(both.out, names + header + kMixedRows);
  EXPECT_EQ(both.status, 0);

  // -r alone makes the library too; -l keeps the log quiet, so the report
  // stands alone (no rows, its closing blank line).
  harness::Outcome header_only = harness::run(file, {"-r", "-l"});
  EXPECT_EQ(header_only.out, names + header + "\n");
  EXPECT_TRUE(header_only.linker_ran);

  t.major_version = 4;
  t.minor_version = 10;
  harness::Outcome v = harness::run(pe_fixture::simple_dll(t).build(), {"-e", "-r", "-l"});
  EXPECT_NE(v.out.find("   Version:        4.10\n"), std::string::npos) << v.out;
}

TEST(Listing, OrdinalsAreIndexPlusBase) {
  struct Case {
    uint32_t base;
    uint16_t index;
    const char* row;
  } cases[] = {
      {1, 0, "   00001010     1  F\n"},
      {0, 0, "   00001010     0  F\n"},
      {0, 2, "   00001030     2  F\n"},
      {70000, 1, "   00001020  70001  F\n"},
      {0xFFFFFFFFu, 1, "   00001020     0  F\n"},  // a 32-bit sum
  };
  for (const Case& c : cases) {
    ExportTable t;
    t.base = c.base;
    t.functions = {{0x1010, ""}, {0x1020, ""}, {0x1030, ""}};
    t.names = {{"F", c.index}};
    harness::Outcome o = harness::run(pe_fixture::simple_dll(t).build(), {"-e", "-l"});
    EXPECT_NE(o.out.find(std::string("   Entry Pt   Ord  Name\n") + c.row + "\n"), std::string::npos)
        << "base " << c.base << "\n" << o.out;
  }
}

// The forwarder range runs from the data directory's export entry (when it
// lies in the holding section, else the section start) to the section's
// last byte. The .edata road reads the directory at the section start
// whatever the entry says, so the entry can set the lower bound freely.
TEST(Listing, ForwarderRangeBounds) {
  struct Case {
    const char* what;
    uint32_t export_rva;
    std::optional<uint32_t> virtual_size;
    const char* rows;
  } cases[] = {
      {"entry inside the section is the lower bound", 0x2200, 0x400,
       "   000021f0     1  Mid\n"
       "   000021ff     2  BelowLow\n"
       "                3  AtLow  Fwd to: LowText\n"
       "                4  AtEnd  Fwd to: EndText\n"
       "   00002400     5  PastEnd\n"},
      {"entry 0: the section start", 0, 0x400,
       "                1  Mid  Fwd to: MidText\n"
       "                2  BelowLow  Fwd to: \n"
       "                3  AtLow  Fwd to: LowText\n"
       "                4  AtEnd  Fwd to: EndText\n"
       "   00002400     5  PastEnd\n"},
      {"entry past the section: the section start", 0x9000, 0x400,
       "                1  Mid  Fwd to: MidText\n"
       "                2  BelowLow  Fwd to: \n"
       "                3  AtLow  Fwd to: LowText\n"
       "                4  AtEnd  Fwd to: EndText\n"
       "   00002400     5  PastEnd\n"},
      {"virtual size 0: no forwarders", 0, 0,
       "   000021f0     1  Mid\n"
       "   000021ff     2  BelowLow\n"
       "   00002200     3  AtLow\n"
       "   000023ff     4  AtEnd\n"
       "   00002400     5  PastEnd\n"},
  };
  for (const Case& c : cases) {
    ExportTable t;
    t.dll_name = "B.dll";
    t.add("Mid", 0x21f0).add("BelowLow", 0x21ff).add("AtLow", 0x2200).add("AtEnd", 0x23ff);
    t.add("PastEnd", 0x2400);
    Image image;
    image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
    image.add_exports(t, ".edata", 0x2000);
    pe_fixture::Section& edata = image.sections.back();
    edata.data.resize(0x500, 0);
    auto put = [&](uint32_t at, const std::string& s) {
      std::copy(s.begin(), s.end(), edata.data.begin() + at);
    };
    put(0x1f0, "MidText");
    put(0x200, "LowText");
    put(0x3ff, "EndText");  // read past the section end: still inside the file
    edata.virtual_size = c.virtual_size;
    image.export_rva = c.export_rva;
    harness::Outcome o = harness::run(image.build(), {"-e", "-l"});
    std::string expected = std::string("   Entry Pt   Ord  Name\n") + c.rows + "\n";
    EXPECT_NE(o.out.find(expected), std::string::npos) << c.what << "\n" << o.out;
    EXPECT_EQ(o.status, 0) << c.what;
  }
}

TEST(Listing, EmptyNameTablesAtRvaZero) {
  // Like nineteen of Wine's DLLs: functions, no names, both name tables at 0.
  ExportTable t;
  t.dll_name = "quiet.dll";
  t.functions = {{0x1010, ""}, {0x1020, ""}};
  harness::Outcome o = harness::run(pe_fixture::simple_dll(t).build(), {"-e", "-r", "-l"});
  EXPECT_EQ(o.out,
            "   Original DLL Name:  quiet.dll\n\n"
            "   # of functions: 00000002 (2.)\n"
            "   # of names:     00000000 (0.)\n"
            "   Ordinal base:   00000001\n"
            "   Characteristics:00000000\n"
            "   TimeDate stamp: 00000000\n"
            "   Version:        0.00\n"
            "\n   Entry Pt   Ord  Name\n\n");
  EXPECT_EQ(o.status, 0);

  harness::Outcome lib = harness::run(pe_fixture::simple_dll(t).build(), {"-l"});
  EXPECT_EQ(lib.def, "\r\nLIBRARY \"quiet.dll\"\r\n\r\nEXPORTS\r\n\r\n");
  EXPECT_EQ(lib.status, 0);
}

TEST(Listing, Pe32PlusReadsItsOwnDataDirectory) {
  // The export entry of a PE32+ image lies 16 bytes past the PE32 place,
  // which holds SizeOfHeapCommit (0x1000, inside .text) here; the section
  // table follows the 240-byte optional header.
  ExportTable t = mixed_table();
  t.dll_name = "WIDE.dll";
  Image image;
  image.pe32_plus = true;
  image.add_section(".text", 0x1000, Bytes(0x100, 0xC3));
  image.add_exports(t, ".rdata", 0x3000, 0x100);
  harness::Outcome o = harness::run(image.build(), {"-e", "-x"});
  EXPECT_NE(o.out.find("Found export dir - RVA=0x00003100\n"
                       " 00003100 address found in   .rdata 00003000<->" ),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find(std::string("   Original DLL Name:  WIDE.dll\n\n") + kMixedCounts + kMixedRows),
            std::string::npos)
      << o.out;
  EXPECT_EQ(o.status, 0);
}

TEST(Listing, OtherOptionalHeaderSizes) {
  struct Case {
    const char* what;
    uint16_t size_of_optional_header;
    uint32_t number_of_rva_and_sizes;
    bool found;
  } cases[] = {
      {"16 bytes longer", 240, 16, true},
      {"one data directory entry", 104, 1, true},
      {"no data directory entries", 96, 0, false},
      {"count says 16, entry cut off", 100, 16, false},
  };
  for (const Case& c : cases) {
    ExportTable t = mixed_table();
    Image image = pe_fixture::simple_dll(t);
    image.sections.back().name = ".rdata";  // found through the data directory only
    image.size_of_optional_header = c.size_of_optional_header;
    image.number_of_rva_and_sizes = c.number_of_rva_and_sizes;
    harness::Outcome o = harness::run(image.build(), {"-e"});
    if (c.found) {
      EXPECT_EQ(o.out, std::string("   Original DLL Name:  SAMPLE.dll\n\n") + kMixedCounts + kMixedRows)
          << c.what;
      EXPECT_EQ(o.status, 0) << c.what;
    } else {
      EXPECT_EQ(o.out, "\n?No Export directory in x.dll?\n") << c.what;
      EXPECT_EQ(o.status, 2) << c.what;
    }
  }
}

TEST(DefFile, BytesAndConsoleInDefaultMode) {
  harness::Outcome o = harness::run(pe_fixture::simple_dll(mixed_table()).build(), {}, "SAMPLE.dll",
                                    {"SAMPLE.def=stale content that must go, longer than the new file"});
  EXPECT_EQ(o.out,
            "   Creating file:  SAMPLE.def\n\n"
            "   Original DLL Name:  SAMPLE.dll\n\n"
            "\n   Removing extra file: SAMPLE.exp\n");
  EXPECT_EQ(o.def,
            "\r\nLIBRARY \"SAMPLE.dll\"\r\n\r\nEXPORTS\r\n"
            "    Close\r\n    Open\r\n    Read\r\n\r\n");
  EXPECT_TRUE(o.linker_ran);
  EXPECT_EQ(o.status, 0);
}

TEST(DefFile, UsedDllNameWithF) {
  struct Case {
    const char* file_name;
    const char* spec;  // a plain name without a dot would be searched for with .dll
    const char* def_name;
    const char* used;
  } cases[] = {
      {"MYLIB", "MYLI*.", "MYLIB.def", "MYLIB.dll"},
      {"a.b.ocx", "a.b.ocx", "a.b.def", "a.b.ocx"},
  };
  for (const Case& c : cases) {
    harness::Outcome o =
        harness::run(pe_fixture::simple_dll(mixed_table()).build(), {"-f", "-m", "-e"}, c.file_name,
                     {}, c.spec);
    std::string def_name = c.def_name;
    std::string used = c.used;
    EXPECT_EQ(o.out.substr(0, o.out.find("   # of")),
              "   Creating file:  " + def_name + "\n\n"
              "   Original DLL Name:  SAMPLE.dll\n"
              "   Used DLL Name:  " + used + "\n\n")
        << c.file_name;
    EXPECT_NE(o.out.find(kMixedRows), std::string::npos) << c.file_name;
    EXPECT_EQ(o.def, "\r\nLIBRARY \"" + used + "\"\r\n\r\nEXPORTS\r\n"
                     "    Close\r\n    Open\r\n    Read\r\n\r\n")
        << c.file_name;
    EXPECT_EQ(o.status, 0);
  }
}

TEST(DefFile, QuietRunStillWritesIt) {
  harness::Outcome o = harness::run(pe_fixture::simple_dll(mixed_table()).build(), {"-l"});
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.def,
            "\r\nLIBRARY \"SAMPLE.dll\"\r\n\r\nEXPORTS\r\n"
            "    Close\r\n    Open\r\n    Read\r\n\r\n");
  EXPECT_TRUE(o.linker_ran);
}

TEST(DefFile, CannotBeCreated) {
  harness::Outcome o = harness::run(pe_fixture::simple_dll(mixed_table()).build(), {"-m", "-e"},
                                    "x.dll", {"x.def/"});
  EXPECT_EQ(o.out, "   Creating file:  x.def\n\n?Can't open file for write: x.def\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_FALSE(o.linker_ran);
}

}  // namespace
