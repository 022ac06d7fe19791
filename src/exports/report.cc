#include "exports/report.h"

#include <cstdio>

namespace {

void print_string(const ExportTable& table, uint32_t rva) {
  const char* text = nullptr;
  size_t length = 0;
  table.string_at(rva, &text, &length);
  std::fwrite(text, 1, length, stdout);
}

}  // namespace

void print_dll_names(const ExportTable& table, const std::string* used_dll_name) {
  std::fputs("   Original DLL Name:  ", stdout);
  print_string(table, table.name);
  std::putchar('\n');
  if (used_dll_name) std::printf("   Used DLL Name:  %s\n", used_dll_name->c_str());
  std::putchar('\n');
}

void print_header(const ExportTable& t, bool header) {
  std::printf("   # of functions: %8.8lx (%lu.)\n", static_cast<unsigned long>(t.number_of_functions),
              static_cast<unsigned long>(t.number_of_functions));
  std::printf("   # of names:     %8.8lx (%lu.)\n", static_cast<unsigned long>(t.number_of_names),
              static_cast<unsigned long>(t.number_of_names));
  if (!header) return;
  std::printf("   Ordinal base:   %8.8lx\n", static_cast<unsigned long>(t.base));
  std::printf("   Characteristics:%8.8lx\n", static_cast<unsigned long>(t.characteristics));
  std::printf("   TimeDate stamp: %8.8lx\n", static_cast<unsigned long>(t.time_date_stamp));
  std::printf("   Version:        %u.%2.2u\n", static_cast<unsigned>(t.major_version),
              static_cast<unsigned>(t.minor_version));
}

void print_listing_heading() {
  std::putchar('\n');
  std::fputs("   Entry Pt   Ord  Name\n", stdout);
}

void print_export_row(const ExportTable& t, uint32_t i) {
  uint32_t k = t.ordinal_index(i);
  uint32_t e = t.entry(k);
  bool forwarder = t.is_forwarder(e);
  std::fputs("   ", stdout);
  if (forwarder) {
    std::printf("%8s", "");
  } else {
    std::printf("%8.8lx", static_cast<unsigned long>(e));
  }
  std::printf("  %4u  ", static_cast<unsigned>(k + t.base));
  print_string(t, t.name_rva(i));
  if (forwarder) {
    std::fputs("  Fwd to: ", stdout);
    print_string(t, e);
  }
  std::putchar('\n');
}
