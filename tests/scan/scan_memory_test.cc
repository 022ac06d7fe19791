// Running out of heap memory in the directory scan: every allocation of a
// scan is refused in turn, in a child process. Each run either ends with one
// of the scan's four memory messages and status 2, having printed what the
// full scan prints up to that point, or goes on as if the enumeration had
// found less (the platform layer's own allocations). Nothing crashes.
#if defined(__GNUC__) && !defined(__clang__)
// The replacement operator new below allocates with malloc, which GCC's
// inlined new/delete pairing check cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "blackbox.h"
#include "vortane/vortane.h"

namespace {

long allocation_budget = -1;  // allocations left before one is refused; -1: no limit
bool allocation_refused = false;

}  // namespace

void* operator new(std::size_t size) {
  if (allocation_budget == 0) {
    allocation_refused = true;
    throw std::bad_alloc();
  }
  if (allocation_budget > 0) --allocation_budget;
  void* p = std::malloc(size ? size : 1);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

const char* const kMemoryMessages[] = {
    "?Can't get memory for buffer\n",
    "?Can't get memory for filename buffer\n",
    "?Can't get memory for file element - Too many files?\n",
    "?Can't get memory for file name - Too many files?\n",
};

const char kCompleted[] = "<scan returned>\n";
const char kCompletedAfterRefusal[] = "<scan returned after a refused allocation>\n";

// Scans `pattern` with the given allocation budget, its output going to
// `out_path`; ends the process (status 2 from the scan, else 3).
[[noreturn]] void scan_in_child(const std::string& pattern, long budget, const std::string& out_path) {
  if (std::freopen(out_path.c_str(), "w", stdout) == nullptr) std::exit(5);
  option_word = OPT_TRACE | OPT_SUBDIRS;
  allocation_budget = budget;
  scan_directory(pattern.c_str());
  allocation_budget = -1;
  std::fputs(allocation_refused ? kCompletedAfterRefusal : kCompleted, stdout);
  std::exit(3);
}

bool exited_2_or_3(int status) {
  return ::testing::ExitedWithCode(2)(status) || ::testing::ExitedWithCode(3)(status);
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ScanOutOfMemory, EveryAllocationFailureEndsCleanly) {
  GTEST_FLAG_SET(death_test_style, "fast");
  blackbox::TempDir dir;
  // Directories only, with names too long for a string's inline storage, so
  // that every allocation point of the scan is met and no file is processed.
  fs::create_directories(dir / "a-directory-that-matches.dll");
  fs::create_directories(dir / "a-subdirectory-that-does-not/a-deeper-directory-that-matches.dll");
  const std::string pattern = dir / "*.dll";
  const std::string out_path = dir.path() + "-out";

  EXPECT_EXIT(scan_in_child(pattern, -1, out_path), ::testing::ExitedWithCode(3), "");
  const std::string full = blackbox::read_file(out_path);
  ASSERT_TRUE(ends_with(full, kCompleted));
  ASSERT_NE(full.find(" Directory file: " + dir.path() +
                      "/a-subdirectory-that-does-not/a-deeper-directory-that-matches.dll\n"),
            std::string::npos)
      << full;

  std::set<std::string> seen;
  bool reached_full = false;
  for (long budget = 0; budget < 5000 && !reached_full; ++budget) {
    EXPECT_EXIT(scan_in_child(pattern, budget, out_path), exited_2_or_3, "") << budget;
    const std::string out = blackbox::read_file(out_path);
    if (out == full) {
      reached_full = true;
      break;
    }
    if (ends_with(out, kCompletedAfterRefusal)) continue;  // the enumeration found less
    bool known = false;
    for (const char* message : kMemoryMessages) {
      if (!ends_with(out, message)) continue;
      known = true;
      seen.insert(message);
      EXPECT_EQ(full.compare(0, out.size() - std::string(message).size(), out, 0,
                             out.size() - std::string(message).size()),
                0)
          << "budget " << budget << ":\n" << out;
    }
    EXPECT_TRUE(known) << "budget " << budget << " ended with:\n" << out;
  }
  std::remove(out_path.c_str());
  EXPECT_TRUE(reached_full);
  EXPECT_EQ(seen.size(), 4u) << "memory messages met: " << seen.size();
}

}  // namespace
