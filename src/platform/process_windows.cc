// Starting a program and waiting for it, on Windows: CreateProcessA with a
// command line whose arguments are quoted so that it parses back to the
// same vector; no command interpreter is involved.
#include "platform/win32.h"

namespace platform {

bool run_program(const std::string& program, const std::vector<std::string>& arguments,
                 bool discard_output, DWORD* exit_status) {
  std::string command_line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i) command_line += ' ';
    command_line += quote_argument(arguments[i]);
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  HANDLE null_device = INVALID_HANDLE_VALUE;
  if (discard_output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    null_device = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = null_device;
    startup.hStdError = null_device;
  } else {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_OUTPUT_HANDLE);
  }
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(program.c_str(), &command_line[0], nullptr, nullptr, TRUE, 0,
                                nullptr, nullptr, &startup, &process);
  DWORD error = started ? 0 : GetLastError();
  if (null_device != INVALID_HANDLE_VALUE) CloseHandle(null_device);
  if (!started) {
    *exit_status = error;
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  *exit_status = code;
  return true;
}

}  // namespace platform
