// The import library build: composes the linker's command line from the
// .def name and the DLL's machine, runs the linker found by the presence
// check, reports a failed run, and deletes the export file it leaves.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "vortane/vortane.h"

namespace {

std::string lib_file_name;
std::string exp_file_name;
std::string link_command;

// The linker's name for a file header's machine, or nullptr when the
// command line gets no machine option.
const char* machine_name(uint16_t machine) {
  switch (machine) {
    case pe::kMachineI386: return "ix86";
    case pe::kMachineAlpha: return "Alpha";
    case pe::kMachineIa64: return "ia64";
    case pe::kMachineAlpha64: return "Alpha64";
    case pe::kMachineAmd64: return "x64";
    case pe::kMachineArm64: return "arm64";
    case pe::kMachineArmNt: return "arm";
    default: return nullptr;
  }
}

}  // namespace

std::string with_extension(const std::string& name, const char* extension) {
  size_t dot = name.find_last_of('.');
  return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

void build_import_library(const char* def_file_name, const ImageView& view) {
  uint32_t lfanew = view.u32(pe::kOffsetLfanew);
  const char* machine = machine_name(view.u16(static_cast<uint64_t>(lfanew) + pe::kOffsetMachine));
  lib_file_name = with_extension(def_file_name, ".lib");
  exp_file_name = with_extension(lib_file_name, ".exp");

  // What is run: the linker, each name one argument of its own.
  std::vector<std::string> arguments = {"LINK", "-lib", "-nologo"};
  if (machine) arguments.push_back(std::string("-machine:") + machine);
  arguments.push_back("-out:" + lib_file_name);
  arguments.push_back("-def:" + std::string(def_file_name));

  // What is shown: the same as a command line, as the platform would run it.
  link_command = "LINK -lib -nologo";
  if (machine) link_command += std::string(" -machine:") + machine;
  link_command += " -out:" + platform::quote_argument(lib_file_name);
  link_command += " -def:" + platform::quote_argument(def_file_name);
  if (!option_set(OPT_LOG)) link_command += ">NUL";

  if (option_set(OPT_TRACE)) std::printf("Cmd: %s\n", link_command.c_str());
  std::fflush(nullptr);

  DWORD status = 0;
  bool ran = platform::run_program(linker_path, arguments, !option_set(OPT_LOG), &status);
  if (!ran || status != 0) {
    std::putchar('\n');
    std::printf("?Import library not made: %s - Error: 0x%lx (%lu.)\n", lib_file_name.c_str(),
                static_cast<unsigned long>(status), static_cast<unsigned long>(status));
    note_failure();
  }

  if (option_set(OPT_LOG)) {
    std::putchar('\n');
    std::printf("   Removing extra file: %s\n", exp_file_name.c_str());
  }
  DeleteFileA(exp_file_name.c_str());
}
