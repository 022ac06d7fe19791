#include "name_sort.h"

#include <algorithm>
#include <utility>

namespace librarian {

namespace {

constexpr size_t kSmall = 12;  // ranges this short are sorted by insertion

struct Range {
  uint32_t* first;
  size_t count;
  size_t depth;  // the names in the range agree on this many bytes
};

class Sorter {
 public:
  explicit Sorter(const std::vector<std::string_view>& names) : names_(names) {}

  void sort(uint32_t* first, size_t count) {
    std::vector<Range> todo = {{first, count, 0}};
    while (!todo.empty()) {
      Range r = todo.back();
      todo.pop_back();
      if (r.count <= kSmall) {
        insertion(r);
        continue;
      }
      uint32_t* a = r.first;
      const int pivot = median(byte(a[0], r.depth), byte(a[r.count / 2], r.depth),
                               byte(a[r.count - 1], r.depth));
      // a[0, lt) below the pivot, a[lt, i) equal, a[gt, count) above.
      size_t lt = 0, i = 0, gt = r.count;
      while (i < gt) {
        int c = byte(a[i], r.depth);
        if (c < pivot) {
          std::swap(a[lt++], a[i++]);
        } else if (c > pivot) {
          std::swap(a[i], a[--gt]);
        } else {
          ++i;
        }
      }
      if (lt > 0) todo.push_back({a, lt, r.depth});
      if (gt < r.count) todo.push_back({a + gt, r.count - gt, r.depth});
      if (pivot < 0) {
        std::sort(a + lt, a + gt);  // whole names that are equal: by index
      } else {
        todo.push_back({a + lt, gt - lt, r.depth + 1});
      }
    }
  }

 private:
  // The byte of name `i` at `depth`, or -1 past its end.
  int byte(uint32_t i, size_t depth) const {
    const std::string_view n = names_[i];
    return depth < n.size() ? static_cast<unsigned char>(n[depth]) : -1;
  }

  static int median(int a, int b, int c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
  }

  bool less(uint32_t a, uint32_t b, size_t depth) const {
    int c = names_[a].substr(depth).compare(names_[b].substr(depth));
    return c != 0 ? c < 0 : a < b;
  }

  void insertion(const Range& r) {
    for (size_t i = 1; i < r.count; ++i) {
      uint32_t v = r.first[i];
      size_t k = i;
      for (; k > 0 && less(v, r.first[k - 1], r.depth); --k) r.first[k] = r.first[k - 1];
      r.first[k] = v;
    }
  }

  const std::vector<std::string_view>& names_;
};

}  // namespace

std::vector<uint32_t> sorted_order(const std::vector<std::string_view>& names) {
  std::vector<uint32_t> order(names.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  Sorter(names).sort(order.data(), order.size());
  return order;
}

}  // namespace librarian
