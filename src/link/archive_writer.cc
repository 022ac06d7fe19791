#include "archive_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "bytes.h"

namespace librarian {

namespace {

constexpr size_t kHeaderSize = 60;
constexpr size_t kShortName = 15;  // longer names go to the long-names member

size_t padded(size_t n) { return n + (n & 1); }

// name[16] date[12] uid[6] gid[6] mode[8] size[10] end[2], space-padded.
void header(Bytes* out, const std::string& name, size_t size) {
  char buf[kHeaderSize];
  std::memset(buf, ' ', sizeof buf);
  std::memcpy(buf, name.data(), std::min<size_t>(name.size(), 16));
  buf[16] = '0';        // date
  buf[28] = '0';        // uid
  buf[34] = '0';        // gid
  std::memcpy(buf + 40, "644", 3);  // mode
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + size % 10);
    size /= 10;
  } while (size);
  for (int i = 0; i < n && i < 10; ++i) buf[48 + i] = digits[n - 1 - i];
  buf[58] = '`';
  buf[59] = '\n';
  out->append(buf, kHeaderSize);
}

void pad(Bytes* out) {
  if (out->size() & 1) out->u8('\n');
}

}  // namespace

std::string write_archive(const std::vector<ArchiveMember>& members) {
  // Long names, each once, NUL-terminated.
  std::string long_names;
  std::unordered_map<std::string, size_t> long_at;
  std::vector<std::string> header_names;
  header_names.reserve(members.size());
  for (const ArchiveMember& m : members) {
    if (m.name.size() <= kShortName) {
      header_names.push_back(m.name + "/");
      continue;
    }
    auto it = long_at.find(m.name);
    if (it == long_at.end()) {
      it = long_at.emplace(m.name, long_names.size()).first;
      long_names += m.name;
      long_names.push_back('\0');
    }
    header_names.push_back("/" + std::to_string(it->second));
  }

  size_t symbol_count = 0, names_size = 0;
  for (const ArchiveMember& m : members) {
    symbol_count += m.symbols.size();
    for (const std::string& s : m.symbols) names_size += s.size() + 1;
  }
  size_t first_size = 4 + 4 * symbol_count + names_size;
  size_t second_size = 4 + 4 * members.size() + 4 + 2 * symbol_count + names_size;

  size_t offset = 8 + kHeaderSize + padded(first_size) + kHeaderSize + padded(second_size);
  if (!long_names.empty()) offset += kHeaderSize + padded(long_names.size());
  std::vector<uint32_t> member_at;
  member_at.reserve(members.size());
  for (const ArchiveMember& m : members) {
    member_at.push_back(static_cast<uint32_t>(offset));
    offset += kHeaderSize + padded(m.data.size());
  }

  Bytes out;
  out.reserve(offset);
  out.append("!<arch>\n");

  header(&out, "/", first_size);
  out.u32_be(static_cast<uint32_t>(symbol_count));
  for (size_t i = 0; i < members.size(); ++i) {
    for (size_t k = 0; k < members[i].symbols.size(); ++k) out.u32_be(member_at[i]);
  }
  for (const ArchiveMember& m : members) {
    for (const std::string& s : m.symbols) out.cstr(s);
  }
  pad(&out);

  // Sorted by name, each with the 1-based index of its member.
  struct Entry {
    std::string_view name;
    uint16_t member;
  };
  std::vector<Entry> sorted;
  sorted.reserve(symbol_count);
  for (size_t i = 0; i < members.size(); ++i) {
    for (const std::string& s : members[i].symbols) {
      sorted.push_back({s, static_cast<uint16_t>(i + 1)});
    }
  }
  // Ties (two members defining one name) keep member order.
  std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
    int c = a.name.compare(b.name);
    return c != 0 ? c < 0 : a.member < b.member;
  });
  header(&out, "/", second_size);
  out.u32(static_cast<uint32_t>(members.size()));
  for (uint32_t at : member_at) out.u32(at);
  out.u32(static_cast<uint32_t>(symbol_count));
  for (const Entry& e : sorted) out.u16(e.member);
  for (const Entry& e : sorted) out.cstr(e.name);
  pad(&out);

  if (!long_names.empty()) {
    header(&out, "//", long_names.size());
    out.append(long_names);
    pad(&out);
  }

  for (size_t i = 0; i < members.size(); ++i) {
    header(&out, header_names[i], members[i].data.size());
    out.append(members[i].data);
    pad(&out);
  }
  return out.take();
}

}  // namespace librarian
