#include "librarian.h"

#include <fstream>
#include <sstream>

#include "atomic_write.h"
#include "command_line.h"
#include "export_file.h"
#include "export_table.h"
#include "import_library.h"
#include "module_definition.h"
#include "text.h"

namespace librarian {

namespace {

const char kBanner[] = "LINK, the VORTANE librarian: import libraries from module-definition files\n";

int fail(std::FILE* err, const std::string& message) {
  std::fprintf(err, "LINK: error: %s\n", message.c_str());
  return 1;
}

bool read_file(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return false;
  *text = s.str();
  return true;
}

}  // namespace

int run_librarian(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  Options options;
  std::string error;
  if (!parse_command_line(args, &options, &error)) return fail(err, error);
  if (!options.nologo) std::fputs(kBanner, out);
  const Machine* machine = options.machine;
  if (!machine) {
    machine = &default_machine();
    std::fprintf(err, "LINK: warning: no -machine: given; assuming x86\n");
  }

  std::string text;
  if (!read_file(options.def, &text)) return fail(err, "cannot read " + options.def);
  ModuleDefinition def;
  DefError def_error;
  if (!parse_module_definition(text, &def, &def_error)) {
    std::fprintf(err, "%s(%d): error: %s\n", options.def.c_str(), def_error.line,
                 def_error.message.c_str());
    return 1;
  }

  const std::string lib_path = library_path(options);
  const std::string exp_path = export_file_path(lib_path);
  if (lib_path == options.def || exp_path == options.def) {
    return fail(err, "the output " + lib_path + " and its .exp would overwrite " + options.def);
  }
  if (def.dll_name.empty()) {
    def.dll_name = !options.name.empty() ? options.name
                                         : replace_extension(file_part(lib_path), ".dll");
  }
  if (def.dll_name.find('.') == std::string::npos) def.dll_name += ".dll";

  ExportTable table;
  if (!make_export_table(def, &table, &error)) return fail(err, options.def + ": " + error);
  int line = 0;
  if (!check_import_library(def, *machine, &error, &line)) {
    if (line == 0) return fail(err, options.def + ": " + error);
    std::fprintf(err, "%s(%d): error: %s\n", options.def.c_str(), line, error.c_str());
    return 1;
  }
  // Each file is written as it is made. The .exp goes into place first: when
  // that fails, an older .lib stays.
  const OutputFile files[] = {
      {exp_path, [&](Bytes* out) { write_export_file(def, table, *machine, out); }},
      {lib_path, [&](Bytes* out) { write_import_library(def, table, *machine, out); }},
  };
  if (!write_files_atomically({files[0], files[1]}, &error)) return fail(err, error);

  if (options.verbose) {
    std::fprintf(out, "LINK: %zu exports of %s for %s, from %s\n", def.exports.size(),
                 def.dll_name.c_str(), machine->label, options.def.c_str());
  }
  std::fprintf(out, "   Creating library %s and object %s\n", lib_path.c_str(), exp_path.c_str());
  return 0;
}

}  // namespace librarian
