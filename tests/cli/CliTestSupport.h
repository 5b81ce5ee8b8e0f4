#pragma once
// Running quivara-cli from the tests, as a user runs it.
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace qvtest {

struct RunResult {
  int status;
  std::string output;
};

// Runs quivara-cli with the arguments (a shell word list) and collects stdout and stderr.
inline RunResult Cli(const std::string& args) {
  std::string cmd = std::string(QUIVARA_BINARY_DIR) + "/src/cli/quivara-cli " + args + " 2>&1";
  RunResult r{-1, ""};
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// The same with standard output and error on a terminal (a pseudo-terminal), as a user at a
// console sees it; standard input is the terminal too.
inline RunResult CliOnTerminal(const std::string& args) {
  const std::string cmd = std::string(QUIVARA_BINARY_DIR) + "/src/cli/quivara-cli " + args;
  RunResult r{-1, ""};
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) return r;
  if (pid == 0) {
    ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  char buf[4096];
  ssize_t n;
  while ((n = ::read(master, buf, sizeof buf)) > 0) r.output.append(buf, size_t(n));  // EIO once the child is gone
  ::close(master);
  int st = 0;
  ::waitpid(pid, &st, 0);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace qvtest
