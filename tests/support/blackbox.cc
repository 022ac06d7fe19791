#include "blackbox.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

extern char** environ;

namespace blackbox {

namespace {

void remove_tree(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    chmod(path.c_str(), 0700);
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        remove_tree(path + "/" + name);
      }
      closedir(d);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

std::string drain(int fd) {
  std::string s;
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    s.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return s;
}

}  // namespace

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/vortane-test-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed: " << strerror(errno);
  }
  path_ = buf.data();
}

TempDir::~TempDir() { remove_tree(path_); }

std::string TempDir::operator/(const std::string& relative) const {
  return path_ + "/" + relative;
}

Result run(const std::string& program, const std::vector<std::string>& args,
           const std::string& cwd, const std::map<std::string, std::string>& env) {
  Result r;
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    ADD_FAILURE() << "pipe failed";
    return r;
  }
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    const char* eq = strchr(*e, '=');
    if (eq) vars[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
  }
  for (const auto& [k, v] : env) {
    if (v.empty()) vars.erase(k); else vars[k] = v;
  }
  std::vector<std::string> env_strings;
  for (const auto& [k, v] : vars) env_strings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_strings;
  argv_strings.push_back(program);
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]); close(out_pipe[1]);
    close(err_pipe[0]); close(err_pipe[1]);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  std::string err_text;
  std::thread err_reader([&] { err_text = drain(err_pipe[0]); });
  r.out = drain(out_pipe[0]);
  err_reader.join();
  r.err = err_text;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) ADD_FAILURE() << "cannot write " << path;
}

void write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
  write_file(path, std::string(bytes.begin(), bytes.end()));
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool file_exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void make_dir(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) ADD_FAILURE() << "mkdir " << path;
}

void copy_file(const std::string& from, const std::string& to) {
  write_file(to, read_file(from));
  struct stat st;
  if (stat(from.c_str(), &st) == 0) chmod(to.c_str(), st.st_mode & 07777);
}

void write_script(const std::string& path, const std::string& body) {
  write_file(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

std::vector<std::string> list_dir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string install_vortane(const std::string& dir, const std::string& link_script) {
  std::string copy = dir + "/vortane";
  copy_file(vortane_bin(), copy);
  if (!link_script.empty()) write_script(dir + "/LINK", link_script);
  return copy;
}

bool have_tool(const std::string& tool) {
  const char* path = getenv("PATH");
  if (!path) return false;
  std::stringstream ss(path);
  std::string dir;
  while (std::getline(ss, dir, ':')) {
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  }
  return false;
}

}  // namespace blackbox
