// Agreement with an independent reader: over every file of Wine's PE
// builds, each named export that `vortane -e` lists has the same ordinal,
// name and entry point (or forwarding text) as `llvm-readobj --coff-exports`
// reports, and the counts agree.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "blackbox.h"
#include "pe_writer.h"

namespace {

struct Row {
  uint32_t ordinal = 0;
  std::string name;
  bool forwarder = false;
  uint32_t entry = 0;   // entry point, or (llvm-readobj) the forwarding text's RVA
  std::string target;   // forwarding text
};

struct Listing {
  bool has_exports = false;
  uint32_t number_of_names = 0;
  std::vector<Row> rows;
};

std::string find_on_path(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return dir + "/" + tool;
  return "";
}

// vortane -e output: a "Processing" line per file, then its rows.
std::map<std::string, Listing> parse_vortane(const std::string& out) {
  std::map<std::string, Listing> files;
  std::istringstream in(out);
  std::string line;
  Listing* current = nullptr;
  bool in_rows = false;
  const std::string processing = "   Processing:     ";
  while (std::getline(in, line)) {
    if (line.compare(0, processing.size(), processing) == 0) {
      current = &files[line.substr(processing.size())];
      in_rows = false;
    } else if (!current) {
      continue;
    } else if (line.compare(0, 18, "   # of names:    ") == 0) {
      current->has_exports = true;
      current->number_of_names = static_cast<uint32_t>(std::stoul(line.substr(29), nullptr, 10));
    } else if (line == "   Entry Pt   Ord  Name") {
      in_rows = true;
    } else if (line.empty()) {
      in_rows = false;
    } else if (in_rows) {
      Row r;
      std::string entry = line.substr(3, 8);
      r.forwarder = entry == "        ";
      if (!r.forwarder) r.entry = static_cast<uint32_t>(std::stoul(entry, nullptr, 16));
      size_t number = line.find_first_not_of(' ', 11);
      size_t name = line.find("  ", number) + 2;
      r.ordinal = static_cast<uint32_t>(std::stoul(line.substr(number, name - 2 - number)));
      r.name = line.substr(name);
      if (r.forwarder) {
        size_t fwd = r.name.rfind("  Fwd to: ");
        r.target = r.name.substr(fwd + 10);
        r.name.erase(fwd);
      }
      current->rows.push_back(r);
    }
  }
  return files;
}

// llvm-readobj --coff-exports output: "File:" lines and Export blocks; only
// named exports are kept.
void parse_readobj(const std::string& out, std::map<std::string, Listing>* files) {
  std::istringstream in(out);
  std::string line;
  Listing* current = nullptr;
  Row row;
  while (std::getline(in, line)) {
    if (line.compare(0, 6, "File: ") == 0) {
      current = &(*files)[line.substr(6)];
    } else if (!current) {
      continue;
    } else if (line == "Export {") {
      row = Row();
      current->has_exports = true;
    } else if (line.compare(0, 11, "  Ordinal: ") == 0) {
      row.ordinal = static_cast<uint32_t>(std::stoul(line.substr(11)));
    } else if (line.compare(0, 8, "  Name: ") == 0) {
      row.name = line.substr(8);
    } else if (line.compare(0, 7, "  RVA: ") == 0) {
      row.entry = static_cast<uint32_t>(std::stoul(line.substr(7), nullptr, 16));
    } else if (line == "}" && !row.name.empty()) {
      current->rows.push_back(row);
    }
  }
}

// The zero-terminated string at `rva`, read through whichever section
// holds it: this test's own small reading of the PE headers.
std::string string_at_rva(const std::string& file, uint32_t rva) {
  auto u16 = [&](size_t at) { return at + 2 <= file.size() ? uint32_t(uint8_t(file[at])) | uint32_t(uint8_t(file[at + 1])) << 8 : 0u; };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  size_t nt = u32(60);
  size_t table = nt + 24 + u16(nt + 20);
  for (uint32_t i = 0; i < u16(nt + 6); ++i) {
    size_t h = table + 40 * i;
    uint32_t va = u32(h + 12), size = std::max(u32(h + 8), u32(h + 16)), raw = u32(h + 20);
    if (va <= rva && rva - va < size) {
      size_t at = rva - va + raw;
      if (at >= file.size()) return "<outside the file>";
      return std::string(file.c_str() + at);
    }
  }
  return "<in no section>";
}

// The fixtures the other tests use are images llvm-readobj reads as we do.
TEST(Agreement, FixturesAgainstLlvmReadobj) {
  std::string readobj = find_on_path("llvm-readobj");
  if (readobj.empty()) GTEST_SKIP() << "llvm-readobj is not installed";
  pe_fixture::ExportTable t;
  t.base = 3;
  t.functions = {{0x1010, ""}, {0, "OTHER.ReadData"}, {0x1030, ""}, {0x1040, ""}};
  t.names = {{"Close", 3}, {"Open", 0}, {"Read", 1}};
  blackbox::TempDir work;
  for (bool plus : {false, true}) {
    pe_fixture::Image image = pe_fixture::simple_dll(t, plus);
    image.sections.back().name = ".rdata";
    std::string path = work / (plus ? "wide.dll" : "narrow.dll");
    blackbox::write_file(path, image.build());
    std::map<std::string, Listing> ours = parse_vortane(blackbox::run(blackbox::vortane_bin(), {"-e", path}, work.path()).out);
    std::map<std::string, Listing> peer;
    parse_readobj(blackbox::run(readobj, {"--coff-exports", path}, work.path()).out, &peer);
    ASSERT_EQ(ours[path].rows.size(), 3u) << path;
    ASSERT_EQ(peer[path].rows.size(), 3u) << path;
    std::map<std::string, Row> by_name;
    for (const Row& r : peer[path].rows) by_name[r.name] = r;
    for (const Row& r : ours[path].rows) {
      EXPECT_EQ(by_name[r.name].ordinal, r.ordinal) << path << " " << r.name;
      if (r.forwarder) {
        EXPECT_EQ(r.target, string_at_rva(blackbox::read_file(path), by_name[r.name].entry));
      } else {
        EXPECT_EQ(by_name[r.name].entry, r.entry) << path << " " << r.name;
      }
    }
  }
}

TEST(Agreement, WineDllsAgainstLlvmReadobj) {
  std::string readobj = find_on_path("llvm-readobj");
  if (readobj.empty()) GTEST_SKIP() << "llvm-readobj is not installed";
  const std::vector<std::string> dirs = {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
                                         "/usr/lib/i386-linux-gnu/wine/i386-windows"};
  blackbox::TempDir work;
  int dirs_read = 0;
  for (const std::string& dir : dirs) {
    if (access(dir.c_str(), R_OK) != 0) {
      std::cout << "[ SKIPPED  ] " << dir << " is absent (Debian package wine64 or wine32)\n";
      continue;
    }
    ++dirs_read;
    std::vector<std::string> paths;
    for (const std::string& name : blackbox::list_dir(dir)) paths.push_back(dir + "/" + name);

    std::vector<std::string> args = {"-e"};
    args.insert(args.end(), paths.begin(), paths.end());
    blackbox::Result ours = blackbox::run(blackbox::vortane_bin(), args, work.path());
    std::map<std::string, Listing> vortane = parse_vortane(ours.out);

    // llvm-readobj 14 stops at the first file it cannot read (those with
    // empty name tables at RVA 0): run it again from the file after that one.
    std::map<std::string, Listing> peer;
    std::set<std::string> unreadable;
    size_t from = 0;
    while (from < paths.size()) {
      std::vector<std::string> rest = {"--coff-exports"};
      rest.insert(rest.end(), paths.begin() + from, paths.end());
      blackbox::Result r = blackbox::run(readobj, rest, work.path());
      parse_readobj(r.out, &peer);
      size_t quote = r.err.find("error: '");
      if (r.status == 0 || quote == std::string::npos) break;
      std::string bad = r.err.substr(quote + 8, r.err.find('\'', quote + 8) - quote - 8);
      unreadable.insert(bad);
      size_t i = from;
      while (i < paths.size() && paths[i] != bad) ++i;
      ASSERT_LT(i, paths.size()) << r.err;
      from = i + 1;
    }

    size_t files = 0, named = 0, forwarders = 0, aliases = 0, without = 0;
    for (const std::string& path : paths) {
      const Listing& a = vortane[path];
      if (!a.has_exports) {
        ++without;
        EXPECT_TRUE(peer[path].rows.empty()) << path << ": vortane found no export directory";
        continue;
      }
      EXPECT_EQ(a.rows.size(), a.number_of_names) << path;
      if (unreadable.count(path)) {
        EXPECT_EQ(a.number_of_names, 0u) << path << ": llvm-readobj cannot read it";
        continue;
      }
      ++files;
      std::string bytes;  // read only when a forwarder needs it
      std::map<uint32_t, const Row*> by_ordinal;
      for (const Row& r : peer[path].rows) by_ordinal[r.ordinal] = &r;
      std::set<uint32_t> ordinals;
      for (const Row& r : a.rows) {
        ordinals.insert(r.ordinal);
        auto it = by_ordinal.find(r.ordinal);
        if (it == by_ordinal.end()) {
          ADD_FAILURE() << path << ": " << r.name << " @" << r.ordinal << " unknown to llvm-readobj";
          continue;
        }
        const Row& p = *it->second;
        if (p.name != r.name) {
          // llvm-readobj shows one name per function: another name of the
          // same function must be among ours.
          ++aliases;
          bool listed = false;
          for (const Row& other : a.rows) listed |= other.ordinal == r.ordinal && other.name == p.name;
          EXPECT_TRUE(listed) << path << ": @" << r.ordinal << " " << r.name << " vs " << p.name;
          continue;
        }
        ++named;
        if (r.forwarder) {
          ++forwarders;
          if (bytes.empty()) bytes = blackbox::read_file(path);
          EXPECT_EQ(r.target, string_at_rva(bytes, p.entry)) << path << ": " << r.name;
        } else {
          EXPECT_EQ(r.entry, p.entry) << path << ": " << r.name;
        }
      }
      EXPECT_EQ(ordinals.size(), by_ordinal.size()) << path << ": named exports";
    }
    std::cout << dir << ": " << files << " files agree, " << named << " named exports ("
              << forwarders << " forwarders), " << aliases << " second names of a function, "
              << unreadable.size() << " files llvm-readobj cannot read, " << without
              << " without an export directory\n";
  }
  if (dirs_read == 0) GTEST_SKIP() << "Wine's PE DLLs are not installed (make test installs them)";
}

}  // namespace
