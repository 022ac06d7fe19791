// What LINK writes, read by independent readers: llvm-ar, llvm-nm and
// llvm-readobj must see every member and every symbol, on every machine; a
// small walker of our own checks the parts linkers mostly ignore (the first
// linker member) and the hints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>

#include "blackbox.h"
#include "link_test_util.h"

namespace {

using blackbox::Result;
using blackbox::TempDir;

// The long DLL name puts the member name into the long-names member.
const char kDef[] =
    "LIBRARY \"a_long_dll_name.dll\"\n"
    "EXPORTS\n"
    "  Close\n"
    "  _Under\n"
    "  f@4\n"
    "  _g@4\n"
    "  @h@8\n"
    "  ?mul@@YAHHH@Z\n"
    "  Counter DATA\n"
    "  ByOrdinal @7 NONAME\n"
    "  Hidden PRIVATE\n"
    "  Forwarded=KERNEL32.HeapAlloc\n";

const char kDll[] = "a_long_dll_name.dll";

struct Expected {
  const char* name;
  const char* type;       // code or data
  const char* name_type;  // as llvm-readobj prints it
  std::vector<std::string> symbols;
};

std::vector<Expected> expected_imports(bool x86) {
  if (x86) {
    return {{"Close", "code", "noprefix", {"__imp__Close", "_Close"}},
            {"_Under", "code", "noprefix", {"__imp___Under", "__Under"}},
            {"f@4", "code", "noprefix", {"__imp__f@4", "_f@4"}},
            {"_g@4", "code", "name", {"__imp__g@4", "_g@4"}},
            {"@h@8", "code", "name", {"__imp_@h@8", "@h@8"}},
            {"?mul@@YAHHH@Z", "code", "name", {"__imp_?mul@@YAHHH@Z", "?mul@@YAHHH@Z"}},
            {"Counter", "data", "noprefix", {"__imp__Counter"}},
            {"ByOrdinal", "code", "ordinal", {"__imp__ByOrdinal", "_ByOrdinal"}},
            {"Forwarded", "code", "noprefix", {"__imp__Forwarded", "_Forwarded"}}};
  }
  return {{"Close", "code", "name", {"__imp_Close", "Close"}},
          {"_Under", "code", "name", {"__imp__Under", "_Under"}},
          {"f@4", "code", "name", {"__imp_f@4", "f@4"}},
          {"_g@4", "code", "name", {"__imp__g@4", "_g@4"}},
          {"@h@8", "code", "name", {"__imp_@h@8", "@h@8"}},
          {"?mul@@YAHHH@Z", "code", "name", {"__imp_?mul@@YAHHH@Z", "?mul@@YAHHH@Z"}},
          {"Counter", "data", "name", {"__imp_Counter"}},
          {"ByOrdinal", "code", "ordinal", {"__imp_ByOrdinal", "ByOrdinal"}},
          {"Forwarded", "code", "name", {"__imp_Forwarded", "Forwarded"}}};
}

struct MachineCase {
  const char* option;
  bool x86;
  const char* reloc;  // the import descriptor's relocation type
  const char* format; // llvm-readobj's Format line of the objects
};

const MachineCase kMachines[] = {
    {"ix86", true, "IMAGE_REL_I386_DIR32NB", "COFF-i386"},
    {"x64", false, "IMAGE_REL_AMD64_ADDR32NB", "COFF-x86-64"},
    {"arm", false, "IMAGE_REL_ARM_ADDR32NB", "COFF-ARM"},
    {"arm64", false, "IMAGE_REL_ARM64_ADDR32NB", "COFF-ARM64"},
};

bool have_readers() {
  return !linktest::tool_path("llvm-ar").empty() && !linktest::tool_path("llvm-nm").empty() &&
         !linktest::tool_path("llvm-readobj").empty();
}

TEST(LinkReaders, LlvmArListsTheSpecialMembersAndOnePerImport) {
  if (!have_readers()) GTEST_SKIP() << "llvm-ar, llvm-nm or llvm-readobj not found";
  for (const MachineCase& m : kMachines) {
    TempDir dir;
    Result r = linktest::make_library(dir, "lib", kDef, m.option);
    ASSERT_EQ(r.status, 0) << r.err;
    Result ar = linktest::run_tool("llvm-ar", {"t", "lib.lib"}, dir.path());
    EXPECT_EQ(ar.status, 0) << ar.err;
    EXPECT_EQ(ar.err, "");
    // 3 special members, 9 imports (Hidden is PRIVATE).
    EXPECT_EQ(linktest::lines(ar.out), std::vector<std::string>(12, kDll)) << m.option;
  }
}

TEST(LinkReaders, LlvmNmSeesEverySymbolInTheArchiveMap) {
  if (!have_readers()) GTEST_SKIP() << "llvm-ar, llvm-nm or llvm-readobj not found";
  for (const MachineCase& m : kMachines) {
    TempDir dir;
    ASSERT_EQ(linktest::make_library(dir, "lib", kDef, m.option).status, 0);
    std::vector<std::string> want = {"__IMPORT_DESCRIPTOR_a_long_dll_name", "__NULL_IMPORT_DESCRIPTOR",
                                     "\x7f" "a_long_dll_name_NULL_THUNK_DATA"};
    for (const Expected& e : expected_imports(m.x86)) {
      for (const std::string& s : e.symbols) want.push_back(s);
    }
    for (std::string& s : want) s += std::string(" in ") + kDll;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(linktest::archive_map(dir, "lib.lib"), want) << m.option;

    // And in the members themselves: the descriptor defines its symbol and
    // needs the two terminators.
    Result nm = linktest::run_tool("llvm-nm", {"lib.lib"}, dir.path());
    EXPECT_EQ(nm.status, 0) << nm.err;
    EXPECT_NE(nm.out.find("I __IMPORT_DESCRIPTOR_a_long_dll_name"), std::string::npos) << nm.out;
    EXPECT_NE(nm.out.find("U __NULL_IMPORT_DESCRIPTOR"), std::string::npos);
    EXPECT_NE(nm.out.find("U \x7f" "a_long_dll_name_NULL_THUNK_DATA"), std::string::npos);
    EXPECT_NE(nm.out.find("I \x7f" "a_long_dll_name_NULL_THUNK_DATA"), std::string::npos);
  }
}

// One record per short import, from llvm-readobj --coff-imports.
struct ImportRecord {
  std::string type, name_type;
  std::vector<std::string> symbols;
};

std::vector<ImportRecord> read_imports(const std::string& out) {
  std::vector<ImportRecord> records;
  bool in_import = false;
  for (const std::string& line : linktest::lines(out)) {
    if (line == "Format: COFF-import-file") {
      records.emplace_back();
      in_import = true;
    } else if (line.rfind("File: ", 0) == 0) {
      in_import = false;
    } else if (in_import && line.rfind("Type: ", 0) == 0) {
      records.back().type = line.substr(6);
    } else if (in_import && line.rfind("Name type: ", 0) == 0) {
      records.back().name_type = line.substr(11);
    } else if (in_import && line.rfind("Symbol: ", 0) == 0) {
      records.back().symbols.push_back(line.substr(8));
    }
  }
  return records;
}

TEST(LinkReaders, LlvmReadobjReadsEveryMember) {
  if (!have_readers()) GTEST_SKIP() << "llvm-ar, llvm-nm or llvm-readobj not found";
  for (const MachineCase& m : kMachines) {
    TempDir dir;
    ASSERT_EQ(linktest::make_library(dir, "lib", kDef, m.option).status, 0);
    Result imports = linktest::run_tool("llvm-readobj", {"--coff-imports", "lib.lib"}, dir.path());
    ASSERT_EQ(imports.status, 0) << imports.err;
    EXPECT_EQ(imports.err, "");
    std::vector<ImportRecord> got = read_imports(imports.out);
    std::vector<Expected> want = expected_imports(m.x86);
    ASSERT_EQ(got.size(), want.size()) << m.option;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].type, want[i].type) << m.option << " " << want[i].name;
      EXPECT_EQ(got[i].name_type, want[i].name_type) << m.option << " " << want[i].name;
      std::vector<std::string> a = got[i].symbols, b = want[i].symbols;
      std::sort(a.begin(), a.end());
      std::sort(b.begin(), b.end());
      EXPECT_EQ(a, b) << m.option << " " << want[i].name;
    }

    Result objects = linktest::run_tool(
        "llvm-readobj", {"--file-headers", "--sections", "--relocs", "--symbols", "lib.lib"}, dir.path());
    ASSERT_EQ(objects.status, 0) << objects.err;
    EXPECT_EQ(objects.err, "");
    const std::string& o = objects.out;
    EXPECT_NE(o.find(std::string("Format: ") + m.format), std::string::npos) << m.option;
    for (const char* needle :
         {"Name: .idata$2", "Name: .idata$6", "Name: .idata$3", "Name: .idata$4", "Name: .idata$5"}) {
      EXPECT_NE(o.find(needle), std::string::npos) << m.option << " lacks " << needle;
    }
    std::string r = m.reloc;
    EXPECT_NE(o.find("0xC " + r + " .idata$6"), std::string::npos) << m.option << "\n" << o;
    EXPECT_NE(o.find("0x0 " + r + " .idata$4"), std::string::npos) << m.option;
    EXPECT_NE(o.find("0x10 " + r + " .idata$5"), std::string::npos) << m.option;
  }
}

TEST(LinkReaders, LlvmReadobjReadsTheExportFile) {
  if (!have_readers()) GTEST_SKIP() << "llvm-ar, llvm-nm or llvm-readobj not found";
  for (const MachineCase& m : kMachines) {
    TempDir dir;
    ASSERT_EQ(linktest::make_library(dir, "lib", kDef, m.option).status, 0);
    Result r = linktest::run_tool("llvm-readobj",
                                  {"--file-headers", "--sections", "--relocs", "--symbols", "lib.exp"},
                                  dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(std::string("Format: ") + m.format), std::string::npos) << m.option;
    EXPECT_NE(r.out.find("Name: .edata"), std::string::npos);
    // Every export but the forwarded one is a relocation against its own
    // symbol in the DLL; the forwarded one points into .edata.
    const char* symbols_x86[] = {"_Close", "__Under", "_f@4", "_g@4", "@h@8", "?mul@@YAHHH@Z",
                                 "_Counter", "_ByOrdinal", "_Hidden"};
    const char* symbols_other[] = {"Close", "_Under", "f@4", "_g@4", "@h@8", "?mul@@YAHHH@Z",
                                   "Counter", "ByOrdinal", "Hidden"};
    for (const char* s : m.x86 ? symbols_x86 : symbols_other) {
      EXPECT_NE(r.out.find(std::string(m.reloc) + " " + s + " ("), std::string::npos)
          << m.option << " lacks a relocation to " << s << "\n" << r.out;
    }
    EXPECT_EQ(r.out.find("Forwarded ("), std::string::npos) << "a forwarder is no symbol";
    // Directory (4) + 10 addresses + 9 name pointers.
    EXPECT_NE(r.out.find("RelocationCount: 23"), std::string::npos) << m.option;
  }
}

// --- our own walk over the archive -------------------------------------

uint32_t be32(const std::string& b, size_t at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
}
uint32_t le32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) |
         (uint32_t(uint8_t(b[at + 2])) << 16) | (uint32_t(uint8_t(b[at + 3])) << 24);
}
uint16_t le16(const std::string& b, size_t at) {
  return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

struct Member {
  size_t header_at, data_at, size;
  std::string name;
};

std::vector<Member> walk(const std::string& lib) {
  std::vector<Member> members;
  size_t at = 8;
  while (at + 60 <= lib.size()) {
    Member m;
    m.header_at = at;
    m.name = lib.substr(at, 16);
    m.name.erase(m.name.find_last_not_of(' ') + 1);
    m.size = std::strtoul(lib.substr(at + 48, 10).c_str(), nullptr, 10);
    m.data_at = at + 60;
    EXPECT_EQ(lib.substr(at + 58, 2), "`\n");
    members.push_back(m);
    at = m.data_at + m.size + (m.size & 1);
  }
  EXPECT_EQ(at, lib.size());
  return members;
}

TEST(LinkArchive, BothLinkerMembersAgreeAndPointAtMemberHeaders) {
  TempDir dir;
  ASSERT_EQ(linktest::make_library(dir, "lib", kDef, "ix86").status, 0);
  std::string lib = blackbox::read_file(dir / "lib.lib");
  ASSERT_EQ(lib.substr(0, 8), "!<arch>\n");
  std::vector<Member> members = walk(lib);
  ASSERT_GE(members.size(), 4u);
  EXPECT_EQ(members[0].name, "/");
  EXPECT_EQ(members[1].name, "/");
  EXPECT_EQ(members[2].name, "//");
  std::set<size_t> headers;
  for (size_t i = 3; i < members.size(); ++i) {
    headers.insert(members[i].header_at);
    EXPECT_EQ(members[i].name, "/0");  // the DLL name, first in the long names
  }
  EXPECT_EQ(lib.substr(members[2].data_at, members[2].size), std::string(kDll) + '\0');

  // First member: big-endian count and offsets, names in member order.
  const Member& first = members[0];
  uint32_t n = be32(lib, first.data_at);
  std::multimap<std::string, uint32_t> from_first;
  size_t names = first.data_at + 4 + 4 * n;
  uint32_t last_offset = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t offset = be32(lib, first.data_at + 4 + 4 * i);
    EXPECT_TRUE(headers.count(offset)) << "offset " << offset;
    EXPECT_GE(offset, last_offset) << "first linker member out of member order";
    last_offset = offset;
    std::string name(lib.c_str() + names);
    names += name.size() + 1;
    from_first.emplace(name, offset);
  }
  EXPECT_EQ(names, first.data_at + first.size);

  // Second member: little-endian, sorted names, 1-based member indices.
  const Member& second = members[1];
  size_t at = second.data_at;
  uint32_t m = le32(lib, at);
  EXPECT_EQ(m, members.size() - 3);
  std::vector<uint32_t> offsets;
  for (uint32_t i = 0; i < m; ++i) offsets.push_back(le32(lib, at + 4 + 4 * i));
  at += 4 + 4 * m;
  uint32_t count = le32(lib, at);
  EXPECT_EQ(count, n);
  at += 4;
  std::vector<uint16_t> index;
  for (uint32_t i = 0; i < count; ++i) index.push_back(le16(lib, at + 2 * i));
  at += 2 * count;
  std::multimap<std::string, uint32_t> from_second;
  std::string previous;
  for (uint32_t i = 0; i < count; ++i) {
    std::string name(lib.c_str() + at);
    at += name.size() + 1;
    EXPECT_LE(previous, name) << "second linker member not sorted";
    previous = name;
    ASSERT_GE(index[i], 1);
    ASSERT_LE(index[i], m);
    from_second.emplace(name, offsets[index[i] - 1]);
  }
  EXPECT_EQ(from_first, from_second);

  // Hints: a name import carries its index in the DLL's sorted name table
  // (PRIVATE exports are in that table too, NONAME ones are not).
  std::map<std::string, uint16_t> hint;
  for (size_t i = 3; i < members.size(); ++i) {
    const std::string data = lib.substr(members[i].data_at, members[i].size);
    if (le16(data, 2) != 0xffff) continue;
    hint[std::string(data.c_str() + 20)] = le16(data, 16);
  }
  std::vector<std::string> sorted = {"Close", "_Under", "f@4", "_g@4", "@h@8", "?mul@@YAHHH@Z",
                                     "Counter", "Hidden", "Forwarded"};
  std::sort(sorted.begin(), sorted.end());
  auto position = [&](const std::string& n) {
    return std::find(sorted.begin(), sorted.end(), n) - sorted.begin();
  };
  EXPECT_EQ(hint["_Close"], position("Close"));
  EXPECT_EQ(hint["_g@4"], position("_g@4"));
  EXPECT_EQ(hint["?mul@@YAHHH@Z"], position("?mul@@YAHHH@Z"));
  EXPECT_EQ(hint["_Forwarded"], position("Forwarded"));
  EXPECT_EQ(hint["_ByOrdinal"], 7) << "an ordinal import carries its ordinal";
}

}  // namespace
