// The COFF archive (.lib) in the MS format: the first linker member
// (big-endian), the second linker member (little-endian, names sorted), the
// long-names member when a member name has more than 15 characters, then the
// members themselves.
#ifndef LINK_ARCHIVE_WRITER_H
#define LINK_ARCHIVE_WRITER_H

#include <string>
#include <vector>

namespace librarian {

struct ArchiveMember {
  std::string name;                  // the member's file name
  std::string data;                  // its bytes
  std::vector<std::string> symbols;  // the external symbols it defines
};

// The archive's bytes. Dates are 0, so the same members give the same bytes.
std::string write_archive(const std::vector<ArchiveMember>& members);

}  // namespace librarian

#endif  // LINK_ARCHIVE_WRITER_H
