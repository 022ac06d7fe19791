// The naming rule: the symbol callers link against, and the name the loader
// will ask the DLL for, which must be exactly the listed export name.
#include <gtest/gtest.h>

#include "import_naming.h"
#include "machine.h"

namespace librarian {
namespace {

struct NamingCase {
  const char* machine;
  const char* export_name;
  const char* symbol;
  NameType type;
};

class ImportNaming : public ::testing::TestWithParam<NamingCase> {};

TEST_P(ImportNaming, SymbolAndNameTypeKeepTheExportName) {
  const NamingCase& c = GetParam();
  const Machine* m = find_machine(c.machine);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(import_symbol(c.export_name, *m), c.symbol);
  EXPECT_EQ(import_name_type(c.export_name, *m), c.type);
  EXPECT_EQ(name_looked_up(import_symbol(c.export_name, *m), import_name_type(c.export_name, *m)),
            c.export_name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ImportNaming,
    ::testing::Values(NamingCase{"ix86", "Close", "_Close", kNameNoPrefix},
                      NamingCase{"ix86", "_Close", "__Close", kNameNoPrefix},
                      NamingCase{"ix86", "f@4", "_f@4", kNameNoPrefix},
                      NamingCase{"ix86", "_f@4", "_f@4", kNameName},
                      NamingCase{"ix86", "_PfAddFiltersToInterface@24", "_PfAddFiltersToInterface@24", kNameName},
                      NamingCase{"ix86", "@x@8", "@x@8", kNameName},
                      NamingCase{"ix86", "?mul@@YAHHH@Z", "?mul@@YAHHH@Z", kNameName},
                      NamingCase{"x64", "Close", "Close", kNameName},
                      NamingCase{"x64", "_Close", "_Close", kNameName},
                      NamingCase{"x64", "?mul@@YAHHH@Z", "?mul@@YAHHH@Z", kNameName},
                      NamingCase{"arm64", "f@4", "f@4", kNameName},
                      NamingCase{"arm", "_f@4", "_f@4", kNameName}));

TEST(ImportNaming, UndecorateCutsAtTheFirstAt) {
  // What a linker does with an UNDECORATE import; LINK never writes one,
  // because it would ask a DLL that exports f@4 for f.
  EXPECT_EQ(name_looked_up("_f@4", kNameUndecorate), "f");
  EXPECT_EQ(name_looked_up("_f@4", kNameNoPrefix), "f@4");
}

TEST(LinkMachines, NamesAreCaseInsensitiveAndMapToCoffMachines) {
  struct {
    const char* value;
    uint16_t coff;
    bool supported;
  } cases[] = {{"ix86", 0x14c, true},  {"X86", 0x14c, true},    {"I386", 0x14c, true},
               {"x64", 0x8664, true},  {"AMD64", 0x8664, true}, {"arm", 0x1c4, true},
               {"ARM64", 0xaa64, true}, {"ia64", 0x200, false}, {"Alpha", 0x184, false},
               {"Alpha64", 0x284, false}};
  for (const auto& c : cases) {
    const Machine* m = find_machine(c.value);
    ASSERT_NE(m, nullptr) << c.value;
    EXPECT_EQ(m->coff, c.coff) << c.value;
    EXPECT_EQ(m->supported, c.supported) << c.value;
  }
  EXPECT_EQ(find_machine("mips"), nullptr);
  EXPECT_EQ(find_machine(""), nullptr);
}

}  // namespace
}  // namespace librarian
