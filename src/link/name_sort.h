// Sorting names byte by byte (as unsigned bytes, like memcmp), the order of
// both the export table and the archive's second linker member.
//
// A three-way radix quicksort: names that share a long beginning, such as
// `__imp_Function_...`, have that beginning looked at once per partition
// instead of once per comparison.
#ifndef LINK_NAME_SORT_H
#define LINK_NAME_SORT_H

#include <cstdint>
#include <string_view>
#include <vector>

namespace librarian {

// The indices of `names` in name order; equal names in index order.
std::vector<uint32_t> sorted_order(const std::vector<std::string_view>& names);

}  // namespace librarian

#endif  // LINK_NAME_SORT_H
