// The COFF archive (.lib) in the MS format: the first linker member
// (big-endian), the second linker member (little-endian, names sorted), the
// long-names member when a member name has more than 15 characters, then the
// members themselves.
//
// The linker members at the front need every member's offset and symbols,
// so the members are listed first, by name, size and symbols; their bytes
// are asked for one by one as the archive is written.
#ifndef LINK_ARCHIVE_WRITER_H
#define LINK_ARCHIVE_WRITER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "bytes.h"

namespace librarian {

class ArchiveWriter {
 public:
  // The next member: its file name (which must outlive the writer) and the
  // number of its bytes.
  void add_member(std::string_view name, size_t size);
  // An external symbol the member added last defines: `parts` one after the other.
  void add_symbol(std::initializer_list<std::string_view> parts);

  // Stores the archive in `out`; `member_bytes(i, out)` stores the bytes of
  // member i, exactly as many as it was listed with. Dates are 0, so the
  // same members give the same bytes.
  void write(const std::function<void(size_t member, Bytes* out)>& member_bytes, Bytes* out) const;

 private:
  struct Member {
    std::string_view name;
    size_t size;
  };
  std::vector<Member> members_;
  std::string symbol_names_;            // every symbol and its NUL, in member order
  std::vector<uint32_t> symbol_at_;     // where each symbol starts in symbol_names_
  std::vector<uint32_t> symbol_member_;  // the index of the member defining it
};

}  // namespace librarian

#endif  // LINK_ARCHIVE_WRITER_H
