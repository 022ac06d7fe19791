#include "command_line.h"

#include "text.h"

namespace librarian {

namespace {

bool is_option(const std::string& arg) {
  return arg.size() > 1 && (arg[0] == '-' || arg[0] == '/');
}

}  // namespace

bool parse_command_line(const std::vector<std::string>& args, Options* options, std::string* error) {
  *options = Options();
  if (args.empty() || !is_option(args[0]) || lower(args[0].substr(1)) != "lib") {
    *error = "only library mode is supported: the command line must begin with -lib";
    return false;
  }
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!is_option(arg)) {
      *error = "'" + arg + "': LINK takes no input files, only a module-definition file through -def:";
      return false;
    }
    std::string body = arg.substr(1);
    size_t colon = body.find(':');
    std::string name = lower(body.substr(0, colon));
    bool has_value = colon != std::string::npos;
    std::string value = has_value ? body.substr(colon + 1) : std::string();

    std::string* target = nullptr;
    if (name == "lib" || name == "nologo" || name == "verbose") {
      if (has_value) {
        *error = "option '" + arg + "' takes no value";
        return false;
      }
      if (name == "nologo") options->nologo = true;
      if (name == "verbose") options->verbose = true;
      continue;
    }
    if (name == "out") {
      target = &options->out;
    } else if (name == "def") {
      target = &options->def;
    } else if (name == "name") {
      target = &options->name;
    } else if (name != "machine") {
      *error = "unknown option '" + arg + "'";
      return false;
    }
    if (value.empty()) {
      *error = "option '" + arg + "' needs a value after ':'";
      return false;
    }
    if (target) {
      *target = value;
      continue;
    }
    const Machine* m = find_machine(value);
    if (!m) {
      *error = "unknown machine '" + value + "'; -machine: takes " + machine_values();
      return false;
    }
    if (!m->supported) {
      *error = "machine '" + value + "' (" + m->label +
               ") is not supported: LINK writes libraries for x86, x64, ARM and ARM64";
      return false;
    }
    options->machine = m;
  }
  if (options->def.empty()) {
    *error = "no -def: given: LINK makes import libraries from module-definition files only";
    return false;
  }
  return true;
}

std::string library_path(const Options& options) {
  if (!options.out.empty()) return options.out;
  return replace_extension(file_part(options.def), ".lib");
}

std::string export_file_path(const std::string& library_path) {
  return replace_extension(library_path, ".exp");
}

}  // namespace librarian
