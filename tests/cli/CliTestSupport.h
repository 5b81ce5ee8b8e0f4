#pragma once
// Running quivara-cli from the tests, as a user runs it.
#include <sys/wait.h>

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

}  // namespace qvtest
