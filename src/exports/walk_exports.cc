// The export walk of one DLL: checks the whole table first, then in one pass
// over the name tables prints the report and writes the .def file, and has
// the linker make the import library.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "exports/def_file.h"
#include "exports/export_table.h"
#include "exports/report.h"
#include "platform/win32.h"
#include "vortane/pe_layout.h"
#include "vortane/vortane.h"

namespace {

// The DLL's file name, made to end in an extension; with OPT_REAL_NAME it
// names the DLL in the .def file.
std::string used_dll_name;
// The .def file's name: the file name cut at its last '.', plus ".def".
std::string def_file_name;

// The .def names written so far in this run, ASCII letters folded: with -s,
// x86/foo.dll and x64/foo.dll would both write foo.def and foo.lib here, and
// the second would silently replace the first.
std::set<std::string> def_files_made;

std::string folded(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

int fail(const char* format, const char* name) {
  std::printf(format, name);
  note_failure();
  return RESULT_FAILED;
}

}  // namespace

int walk_exports(const ImageView& view, uint32_t export_directory, uint32_t holding_section,
                 const char* file_name) {
  const bool make_lib = option_set(OPT_MAKE_LIB);
  const bool list = option_set(OPT_LIST_EXPORTS);
  const bool header = option_set(OPT_SHOW_HEADER);
  const bool real_name = option_set(OPT_REAL_NAME);

  if (real_name) {
    used_dll_name = file_name;
    if (used_dll_name.find('.') == std::string::npos) used_dll_name += ".dll";
  }

  // Everything that stops the file is decided here, before anything of it
  // is printed or created.
  ExportTable table;
  uint32_t entry_rva = pe::export_entry_rva(view, pe::nt_header(view));
  if (!read_export_table(view, export_directory, holding_section, entry_rva, &table) ||
      !export_table_intact(table)) {
    std::putchar('\n');
    return fail("?Damaged export table in %s\n", file_name);
  }
  const char* library_name = used_dll_name.c_str();
  size_t library_length = used_dll_name.size();
  if (!real_name) table.string_at(table.name, &library_name, &library_length);
  if (make_lib && !def_names_usable(table, library_name, library_length)) {
    std::putchar('\n');
    return fail("?Name not usable in a .def file in %s\n", file_name);
  }

  DefFile def;
  if (make_lib) {
    def_file_name = with_extension(file_name, ".def");
    // A DLL named like one of its own outputs (x.def, x.lib, x.exp, or a
    // link to one) would be emptied or replaced while it is read.
    for (const std::string& output :
         {def_file_name, with_extension(def_file_name, ".lib"),
          with_extension(def_file_name, ".exp")}) {
      if (is_current_image(output.c_str())) {
        std::putchar('\n');
        return fail("?Output would overwrite the DLL itself: %s\n", output.c_str());
      }
    }
    if (def_files_made.count(folded(def_file_name)) != 0) {
      std::putchar('\n');
      return fail("?Already made in this run: %s\n", def_file_name.c_str());
    }
    if (option_set(OPT_LOG)) {
      std::printf("   Creating file:  %s\n", def_file_name.c_str());
      std::putchar('\n');
    }
    if (!def.create(def_file_name.c_str()))
      return fail("?Can't open file for write: %s\n", def_file_name.c_str());
    def_files_made.insert(folded(def_file_name));
    def.write_heading(library_name, library_length);
  }

  if (option_set(OPT_LOG) || list || header)
    print_dll_names(table, real_name ? &used_dll_name : nullptr);
  if (list || header) print_header(table, header);

  if (list) print_listing_heading();
  for (uint32_t i = 0; (list || make_lib) && i < table.number_of_names; ++i) {
    if (list) print_export_row(table, i);
    if (make_lib) {
      const char* name = nullptr;
      size_t length = 0;
      table.string_at(table.name_rva(i), &name, &length);
      def.write_name(name, length);
    }
  }
  if (list || header) std::putchar('\n');

  if (make_lib) {
    // A .def that did not reach the disk whole would give a library that
    // silently lacks exports: it is removed, and no library is made.
    if (!def.finish()) {
      std::remove(def_file_name.c_str());
      std::putchar('\n');
      return fail("?Can't write file: %s\n", def_file_name.c_str());
    }
    std::fflush(nullptr);
    build_import_library(def_file_name.c_str(), view);
    Sleep(1000);
    std::fflush(nullptr);
  }
  return RESULT_OK;
}
