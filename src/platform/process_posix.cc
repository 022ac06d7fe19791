// Starting a program and waiting for it, on POSIX: posix_spawn with an
// argument vector, so no shell ever sees a name.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/win32.h"

extern char** environ;

namespace platform {

bool run_program(const std::string& program, const std::vector<std::string>& arguments,
                 bool discard_output, DWORD* exit_status) {
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (discard_output) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, 1, 2);  // its errors go where its output goes

  pid_t pid = 0;
  int err = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) {
    *exit_status = static_cast<DWORD>(err == ENOENT ? ERROR_FILE_NOT_FOUND
                                      : err == EACCES ? ERROR_ACCESS_DENIED
                                                      : static_cast<DWORD>(err));
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      *exit_status = static_cast<DWORD>(errno);
      return false;
    }
  }
  if (WIFEXITED(status)) {
    *exit_status = static_cast<DWORD>(WEXITSTATUS(status));
  } else {
    // Killed by a signal: report it as a failure status of its own.
    *exit_status = 128u + static_cast<DWORD>(WTERMSIG(status));
  }
  return true;
}

}  // namespace platform
