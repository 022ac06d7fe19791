// The module-definition parser: one line at a time, statements at the top
// level, one export entry per line inside EXPORTS.
//
// Statement keywords are upper case, as in the platform's own .def files, so
// an export called `Version` or `library` stays a name. Inside EXPORTS an
// indented line is always an entry (vortane writes its entries indented);
// a line at the margin that starts with a statement keyword ends the section.
#include "module_definition.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text.h"

namespace librarian {

namespace {

// Tokens are views into the file's text, which outlives the parse.
struct Token {
  std::string_view text;
  bool quoted = false;
};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

// Splits one line into tokens: double-quoted strings, '=' on its own, and
// runs of other non-blank characters. Stops at ';' outside quotes.
bool tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (is_space(c)) {
      ++i;
    } else if (c == ';') {
      break;
    } else if (c == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) {
        *error = "unterminated quoted name";
        return false;
      }
      tokens->push_back({line.substr(i + 1, end - i - 1), true});
      i = end + 1;
    } else if (c == '=') {
      tokens->push_back({"=", false});
      ++i;
    } else {
      size_t start = i;
      while (i < line.size() && !is_space(line[i]) && line[i] != '=' && line[i] != ';' &&
             line[i] != '"') {
        ++i;
      }
      tokens->push_back({line.substr(start, i - start), false});
    }
  }
  return true;
}

bool bad_character(std::string_view s, std::string* what) {
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7f) {
      char buf[64];
      snprintf(buf, sizeof buf, "a control character (0x%02x)", c);
      *what = buf;
      return true;
    }
  }
  return false;
}

enum class Section { kTop, kExports, kSkip };

const char* const kStatements[] = {"LIBRARY", "NAME",     "EXPORTS",  "DESCRIPTION", "VERSION",
                                   "HEAPSIZE", "STACKSIZE", "SECTIONS", "STUB",        "IMPORTS"};

bool is_statement(const Token& t) {
  if (t.quoted) return false;
  for (const char* k : kStatements) {
    if (t.text == k) return true;
  }
  return false;
}

class Parser {
 public:
  Parser(ModuleDefinition* def, DefError* error) : def_(def), error_(error) {}

  // Room for as many exports as the file has lines.
  void expect(size_t lines) {
    names_.reserve(lines);
    def_->exports.reserve(lines);
  }

  bool line(int number, std::string_view text) {
    line_ = number;
    std::vector<Token>& tokens = tokens_;
    tokens.clear();
    std::string why;
    if (!tokenize(text, &tokens, &why)) return fail(why);
    if (tokens.empty()) return true;
    bool indented = is_space(text[0]);
    if (section_ == Section::kExports && (indented || !is_statement(tokens[0]))) {
      return entry(tokens);
    }
    if (section_ == Section::kSkip && !is_statement(tokens[0])) return true;
    return statement(tokens);
  }

  bool finish(int last_line) {
    line_ = last_line;
    if (!saw_exports_) return fail("no EXPORTS statement: the file names nothing to export");
    return true;
  }

 private:
  bool fail(const std::string& message) {
    error_->line = line_;
    error_->message = message;
    return false;
  }

  bool statement(const std::vector<Token>& t) {
    const std::string k(t[0].text);
    if (!is_statement(t[0])) {
      std::string m = "unknown keyword '" + k + "'";
      if (!saw_exports_) m += " (export entries belong after an EXPORTS line)";
      return fail(m);
    }
    if (k == "EXPORTS") {
      section_ = Section::kExports;
      saw_exports_ = true;
      if (t.size() > 1) {
        std::vector<Token> rest(t.begin() + 1, t.end());
        return entry(rest);
      }
      return true;
    }
    section_ = Section::kTop;
    if (k == "LIBRARY" || k == "NAME") return library(t);
    if (k == "SECTIONS") {
      section_ = Section::kSkip;
      return true;
    }
    if (k == "IMPORTS") return fail("IMPORTS is not supported in a .def file for a library");
    // DESCRIPTION, VERSION, HEAPSIZE, STACKSIZE and STUB concern the image the
    // platform linker would make; a library has no use for them.
    if (t.size() < 2) return fail(k + " needs a value");
    return true;
  }

  bool library(const std::vector<Token>& t) {
    if (saw_library_) return fail("a second " + std::string(t[0].text) + " statement (the first is on line " +
                                  std::to_string(library_line_) + ")");
    saw_library_ = true;
    library_line_ = line_;
    size_t i = 1;
    if (i < t.size() && !(t[i].text == "BASE" && !t[i].quoted)) {
      const std::string_view name = t[i].text;
      std::string what;
      if (name.empty()) return fail("the DLL name is empty");
      if (bad_character(name, &what)) return fail("the DLL name holds " + what);
      if (name.size() > kMaxDllName) {
        return fail("the DLL name is " + std::to_string(name.size()) +
                    " characters long and does not fit a file name (at most " +
                    std::to_string(kMaxDllName) + ")");
      }
      def_->dll_name = std::string(name);
      ++i;
    }
    if (i < t.size() && t[i].text == "BASE" && !t[i].quoted) {
      if (i + 2 >= t.size() || t[i + 1].text != "=") return fail("BASE needs '=address'");
      unsigned long long v;
      if (!parse_number(std::string(t[i + 2].text), ~0ull, &v)) {
        return fail("bad BASE address '" + std::string(t[i + 2].text) + "'");
      }
      def_->has_base = true;
      def_->base = v;
      i += 3;
    }
    if (i < t.size()) return fail("unexpected '" + std::string(t[i].text) + "' after the DLL name");
    return true;
  }

  bool entry(const std::vector<Token>& t) {
    Export e;
    e.line = line_;
    size_t i = 0;
    const std::string_view name = t[i++].text;
    e.name = std::string(name);
    if (e.name.empty()) return fail("an empty export name");
    if (e.name == "=") return fail("an export entry must begin with a name");
    std::string what;
    if (bad_character(e.name, &what)) return fail("the export name holds " + what);
    if (i < t.size() && t[i].text == "=" && !t[i].quoted) {
      if (i + 1 >= t.size() || t[i + 1].text.empty()) {
        return fail("'" + e.name + "=' needs an internal name or a forwarding target");
      }
      e.internal = std::string(t[i + 1].text);
      if (bad_character(e.internal, &what)) return fail("the internal name holds " + what);
      e.forward = e.internal.find('.') != std::string::npos;
      i += 2;
    }
    bool have_ordinal = false;
    for (; i < t.size(); ++i) {
      const Token& a = t[i];
      std::string k = a.quoted ? std::string() : lower(std::string(a.text));
      if (!a.quoted && !a.text.empty() && a.text[0] == '@') {
        if (have_ordinal) return fail("a second ordinal for '" + e.name + "'");
        std::string digits(a.text.substr(1));
        if (digits.empty() && i + 1 < t.size()) digits = std::string(t[++i].text);
        unsigned long long v = 0;
        if (!parse_number(digits, 65535, &v) || v == 0 || digits.find_first_of("xX") != std::string::npos) {
          return fail("bad ordinal '@" + digits + "' for '" + e.name +
                      "': an ordinal is a decimal number from 1 to 65535");
        }
        e.ordinal = static_cast<uint16_t>(v);
        have_ordinal = true;
      } else if (k == "noname") {
        if (!have_ordinal) return fail("NONAME needs an ordinal before it ('" + e.name + " @n NONAME')");
        e.noname = true;
      } else if (k == "data") {
        e.data = true;
      } else if (k == "private") {
        e.is_private = true;
      } else if (k == "constant") {
        return fail("CONSTANT is not supported; use DATA for '" + e.name + "'");
      } else {
        return fail("unknown keyword '" + std::string(a.text) + "' in the entry for '" + e.name + "'");
      }
    }
    auto named = names_.emplace(name, line_);
    if (!named.second) {
      return fail("'" + e.name + "' is exported twice (first on line " +
                  std::to_string(named.first->second) + ")");
    }
    if (e.ordinal) {
      if (ordinals_.empty()) ordinals_.assign(65536, 0);
      uint32_t& holder = ordinals_[e.ordinal];
      if (holder) {
        return fail("bad ordinal '@" + std::to_string(e.ordinal) + "' for '" + e.name +
                    "': it is already given to '" + def_->exports[holder - 1].name + "'");
      }
      holder = static_cast<uint32_t>(def_->exports.size() + 1);
    }
    def_->exports.push_back(std::move(e));
    return true;
  }

  ModuleDefinition* def_;
  DefError* error_;
  int line_ = 0;
  Section section_ = Section::kTop;
  bool saw_exports_ = false;
  bool saw_library_ = false;
  int library_line_ = 0;
  std::vector<Token> tokens_;                      // reused from line to line
  std::unordered_map<std::string_view, int> names_;  // export name -> its line
  std::vector<uint32_t> ordinals_;                 // ordinal -> 1 + index of its export
};

}  // namespace

bool parse_module_definition(const std::string& text, ModuleDefinition* def, DefError* error) {
  *def = ModuleDefinition();
  if (text.empty()) {
    error->line = 1;
    error->message = "the file is empty";
    return false;
  }
  Parser parser(def, error);
  parser.expect(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  size_t pos = 0;
  int number = 0;
  const std::string_view all(text);
  while (pos < all.size()) {
    size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = all.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    if (line.find('\0') != std::string_view::npos) {
      error->line = number;
      error->message = "a NUL byte: this is not a text file";
      return false;
    }
    if (!parser.line(number, line)) return false;
    pos = end + 1;
  }
  return parser.finish(number);
}

}  // namespace librarian
