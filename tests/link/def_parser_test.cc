// The module-definition parser: what it takes from the forms vortane and
// people write, and where it stops with a line number.
#include <gtest/gtest.h>

#include "module_definition.h"

namespace librarian {
namespace {

ModuleDefinition parse_ok(const std::string& text) {
  ModuleDefinition def;
  DefError error;
  EXPECT_TRUE(parse_module_definition(text, &def, &error))
      << "line " << error.line << ": " << error.message;
  return def;
}

TEST(DefParser, ReadsTheFormVortaneWrites) {
  ModuleDefinition def = parse_ok(
      "\r\nLIBRARY \"SAMPLE.dll\"\r\n\r\nEXPORTS\r\n    Close\r\n    _PfAddFiltersToInterface@24\r\n"
      "    @x@8\r\n    ?mul@@YAHHH@Z\r\n\r\n");
  EXPECT_EQ(def.dll_name, "SAMPLE.dll");
  ASSERT_EQ(def.exports.size(), 4u);
  EXPECT_EQ(def.exports[0].name, "Close");
  EXPECT_EQ(def.exports[1].name, "_PfAddFiltersToInterface@24");
  EXPECT_EQ(def.exports[2].name, "@x@8");
  EXPECT_EQ(def.exports[3].name, "?mul@@YAHHH@Z");
  EXPECT_EQ(def.exports[3].line, 8);
  for (const Export& e : def.exports) {
    EXPECT_EQ(e.ordinal, 0);
    EXPECT_FALSE(e.noname || e.data || e.is_private || e.forward);
    EXPECT_TRUE(e.internal.empty());
  }
}

TEST(DefParser, ReadsEveryPartOfAnEntry) {
  ModuleDefinition def = parse_ok(
      "; a hand-written file\n"
      "NAME plain BASE=0x10000000 ; comment\n"
      "DESCRIPTION \"whatever\"\n"
      "EXPORTS\n"
      "f=impl_f @3\n"
      "g = impl_g\n"
      "h @ 4 NONAME\n"
      "v DATA\n"
      "p PRIVATE @9 data\n"
      "fw=KERNEL32.HeapAlloc\n"
      "\"EXPORTS\" ; a name that is a keyword, quoted\n"
      "Library\n"  // not a keyword: statement keywords are upper case
      "  LIBRARY\n"  // indented inside EXPORTS: an entry
      "VERSION 1.0\n");
  EXPECT_EQ(def.dll_name, "plain");
  EXPECT_TRUE(def.has_base);
  EXPECT_EQ(def.base, 0x10000000u);
  ASSERT_EQ(def.exports.size(), 9u);
  const Export& f = def.exports[0];
  EXPECT_EQ(f.name, "f");
  EXPECT_EQ(f.internal, "impl_f");
  EXPECT_FALSE(f.forward);
  EXPECT_EQ(f.ordinal, 3);
  EXPECT_EQ(def.exports[1].internal, "impl_g");
  EXPECT_EQ(def.exports[2].ordinal, 4);
  EXPECT_TRUE(def.exports[2].noname);
  EXPECT_TRUE(def.exports[3].data);
  EXPECT_TRUE(def.exports[4].is_private);
  EXPECT_TRUE(def.exports[4].data);
  EXPECT_EQ(def.exports[4].ordinal, 9);
  EXPECT_TRUE(def.exports[5].forward);
  EXPECT_EQ(def.exports[5].internal, "KERNEL32.HeapAlloc");
  EXPECT_EQ(def.exports[6].name, "EXPORTS");
  EXPECT_EQ(def.exports[7].name, "Library");
  EXPECT_EQ(def.exports[8].name, "LIBRARY");
}

TEST(DefParser, LfAndCrlfGiveTheSameResult) {
  std::string lf = "LIBRARY a.dll\nEXPORTS\n  one @1\n  two DATA\n";
  std::string crlf = "LIBRARY a.dll\r\nEXPORTS\r\n  one @1\r\n  two DATA\r\n";
  ModuleDefinition a = parse_ok(lf), b = parse_ok(crlf);
  ASSERT_EQ(a.exports.size(), b.exports.size());
  for (size_t i = 0; i < a.exports.size(); ++i) {
    EXPECT_EQ(a.exports[i].name, b.exports[i].name);
    EXPECT_EQ(a.exports[i].ordinal, b.exports[i].ordinal);
    EXPECT_EQ(a.exports[i].data, b.exports[i].data);
  }
}

TEST(DefParser, AnEmptyExportsSectionIsALibraryWithoutImports) {
  ModuleDefinition def = parse_ok("LIBRARY none.dll\nEXPORTS\n");
  EXPECT_TRUE(def.exports.empty());
}

struct BadDef {
  const char* what;
  std::string text;
  int line;
  const char* message_part;
};

void PrintTo(const BadDef& c, std::ostream* os) { *os << c.what; }

class DefParserErrors : public ::testing::TestWithParam<BadDef> {};

TEST_P(DefParserErrors, NameTheLineAndTheFault) {
  const BadDef& c = GetParam();
  ModuleDefinition def;
  DefError error;
  ASSERT_FALSE(parse_module_definition(c.text, &def, &error)) << c.what;
  EXPECT_EQ(error.line, c.line) << c.what << ": " << error.message;
  EXPECT_NE(error.message.find(c.message_part), std::string::npos)
      << c.what << ": '" << error.message << "' lacks '" << c.message_part << "'";
}

const std::string kLongName(300, 'n');
const std::string kLongLibrary = "LIBRARY " + kLongName + ".dll\nEXPORTS\n  f\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, DefParserErrors,
    ::testing::Values(
        BadDef{"empty file", "", 1, "empty"},
        BadDef{"only comments", "; nothing\n\n", 2, "no EXPORTS"},
        BadDef{"missing EXPORTS", "LIBRARY a.dll\n", 1, "no EXPORTS"},
        BadDef{"entries without EXPORTS", "LIBRARY a.dll\n  Func\n", 2, "EXPORTS"},
        BadDef{"unknown keyword", "LIBRARY a.dll\nFROBNICATE 3\nEXPORTS\n  f\n", 2,
               "unknown keyword 'FROBNICATE'"},
        BadDef{"unknown entry keyword", "EXPORTS\n  f\n  g @2 NONAMES\n", 3,
               "unknown keyword 'NONAMES'"},
        BadDef{"ordinal zero", "EXPORTS\n  f @0\n", 2, "bad ordinal"},
        BadDef{"ordinal too large", "EXPORTS\n  f @65536\n", 2, "bad ordinal"},
        BadDef{"ordinal not a number", "EXPORTS\n  f @x1\n", 2, "bad ordinal"},
        BadDef{"ordinal missing", "EXPORTS\n  f @\n", 2, "bad ordinal"},
        BadDef{"ordinal twice", "EXPORTS\n  f @2\n  g @2\n", 3, "already given to 'f'"},
        BadDef{"NONAME without ordinal", "EXPORTS\n  f NONAME\n", 2, "NONAME needs an ordinal"},
        BadDef{"name twice", "EXPORTS\n  f\n  g\n  f\n", 4, "exported twice (first on line 2)"},
        BadDef{"DLL name too long", kLongLibrary, 1, "does not fit"},
        BadDef{"control character in a name", "EXPORTS\n  f\x01g\n", 2, "control character"},
        BadDef{"unterminated quote", "LIBRARY \"a.dll\nEXPORTS\n", 1, "unterminated"},
        BadDef{"second LIBRARY", "LIBRARY a.dll\nLIBRARY b.dll\nEXPORTS\n", 2, "second LIBRARY"},
        BadDef{"junk after the DLL name", "LIBRARY a.dll b.dll\nEXPORTS\n", 1, "unexpected 'b.dll'"},
        BadDef{"bad BASE", "LIBRARY a.dll BASE=zz\nEXPORTS\n", 1, "bad BASE"},
        BadDef{"forward without target", "EXPORTS\n  f=\n", 2, "needs an internal name"},
        BadDef{"NUL byte", std::string("EXPORTS\n  f\0g\n", 12), 2, "NUL"}));

}  // namespace
}  // namespace librarian
