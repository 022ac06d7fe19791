#include "archive_writer.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "name_sort.h"

namespace librarian {

namespace {

constexpr size_t kHeaderSize = 60;
constexpr size_t kShortName = 15;  // longer names go to the long-names member
constexpr uint32_t kShortNameMark = ~0u;

size_t padded(size_t n) { return n + (n & 1); }

// Writes `n` in decimal at `to`, at most `width` digits.
void decimal(char* to, size_t width, size_t n) {
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n);
  for (size_t i = 0; i < count && i < width; ++i) to[i] = digits[count - 1 - i];
}

// name[16] date[12] uid[6] gid[6] mode[8] size[10] end[2], space-padded.
// The name is `name` followed by `suffix`, or "/" and `long_at` when the
// name stands in the long-names member.
void header(Bytes* out, std::string_view name, std::string_view suffix, uint32_t long_at,
            size_t size) {
  char buf[kHeaderSize];
  std::memset(buf, ' ', sizeof buf);
  if (long_at == kShortNameMark) {
    size_t n = std::min<size_t>(name.size(), 16);
    std::memcpy(buf, name.data(), n);
    std::memcpy(buf + n, suffix.data(), std::min(suffix.size(), 16 - n));
  } else {
    buf[0] = '/';
    decimal(buf + 1, 15, long_at);
  }
  buf[16] = '0';        // date
  buf[28] = '0';        // uid
  buf[34] = '0';        // gid
  std::memcpy(buf + 40, "644", 3);  // mode
  decimal(buf + 48, 10, size);
  buf[58] = '`';
  buf[59] = '\n';
  out->append(buf, kHeaderSize);
}

void pad(Bytes* out) {
  if (out->size() & 1) out->u8('\n');
}

}  // namespace

void ArchiveWriter::add_member(std::string_view name, size_t size) {
  members_.push_back({name, size});
}

void ArchiveWriter::add_symbol(std::initializer_list<std::string_view> parts) {
  symbol_at_.push_back(static_cast<uint32_t>(symbol_names_.size()));
  symbol_member_.push_back(static_cast<uint32_t>(members_.size() - 1));
  for (std::string_view p : parts) symbol_names_ += p;
  symbol_names_.push_back('\0');
}

void ArchiveWriter::write(const std::function<void(size_t, Bytes*)>& member_bytes,
                          Bytes* out) const {
  // Long names, each once, NUL-terminated. Members mostly share one name,
  // so the one before is looked at first.
  std::string long_names;
  std::unordered_map<std::string_view, uint32_t> long_at;
  std::vector<uint32_t> name_at(members_.size(), kShortNameMark);
  for (size_t i = 0; i < members_.size(); ++i) {
    std::string_view name = members_[i].name;
    if (name.size() <= kShortName) continue;
    if (i > 0 && members_[i - 1].name == name) {
      name_at[i] = name_at[i - 1];
      continue;
    }
    auto it = long_at.find(name);
    if (it == long_at.end()) {
      it = long_at.emplace(name, static_cast<uint32_t>(long_names.size())).first;
      long_names += name;
      long_names.push_back('\0');
    }
    name_at[i] = it->second;
  }

  const size_t symbol_count = symbol_at_.size();
  const size_t names_size = symbol_names_.size();
  size_t first_size = 4 + 4 * symbol_count + names_size;
  size_t second_size = 4 + 4 * members_.size() + 4 + 2 * symbol_count + names_size;

  size_t offset = 8 + kHeaderSize + padded(first_size) + kHeaderSize + padded(second_size);
  if (!long_names.empty()) offset += kHeaderSize + padded(long_names.size());
  std::vector<uint32_t> member_at;
  member_at.reserve(members_.size());
  for (const Member& m : members_) {
    member_at.push_back(static_cast<uint32_t>(offset));
    offset += kHeaderSize + padded(m.size);
  }

  out->append("!<arch>\n");

  header(out, "/", "", kShortNameMark, first_size);
  out->u32_be(static_cast<uint32_t>(symbol_count));
  for (uint32_t m : symbol_member_) out->u32_be(member_at[m]);
  out->append(symbol_names_);
  pad(out);

  // Sorted by name, each with the 1-based index of its member. Ties (two
  // members defining one name) keep member order, which is symbol order.
  std::vector<std::string_view> symbols;
  symbols.reserve(symbol_count);
  for (size_t k = 0; k < symbol_count; ++k) {
    const size_t end = k + 1 < symbol_count ? symbol_at_[k + 1] : names_size;
    symbols.emplace_back(symbol_names_.data() + symbol_at_[k], end - symbol_at_[k] - 1);
  }
  const std::vector<uint32_t> sorted = sorted_order(symbols);
  header(out, "/", "", kShortNameMark, second_size);
  out->u32(static_cast<uint32_t>(members_.size()));
  for (uint32_t m : member_at) out->u32(m);
  out->u32(static_cast<uint32_t>(symbol_count));
  for (uint32_t k : sorted) out->u16(static_cast<uint16_t>(symbol_member_[k] + 1));
  for (uint32_t k : sorted) out->cstr(symbols[k]);
  pad(out);

  if (!long_names.empty()) {
    header(out, "//", "", kShortNameMark, long_names.size());
    out->append(long_names);
    pad(out);
  }

  for (size_t i = 0; i < members_.size(); ++i) {
    header(out, members_[i].name, "/", name_at[i], members_[i].size);
    member_bytes(i, out);
    pad(out);
  }
}

}  // namespace librarian
