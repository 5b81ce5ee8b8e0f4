#pragma once
// Shared pieces of quivara-cli: argument parsing, progress display, errors.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvcli {

// An error that ends the command with a message on stderr and the given exit status.
class CliError : public std::runtime_error {
 public:
  CliError(const std::string& msg, int exitCode = 1) : std::runtime_error(msg), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// Parses "--name value", "--name=value" and "--flag" against the names a command accepts.
class Args {
 public:
  // valueOptions: options that take a value; flags: options without one.
  Args(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
       const std::set<std::string>& flags);

  const std::vector<std::string>& Positional() const { return positional_; }
  // The n-th positional argument, or a CliError naming what is missing.
  const std::string& Need(size_t n, const std::string& what) const;
  bool Has(const std::string& name) const;  // a flag or a value option given
  std::string Value(const std::string& name, const std::string& def = std::string()) const;
  int Int(const std::string& name, int def) const;                        // CliError when not a number
  std::vector<int> IntList(const std::string& name, size_t count) const;  // "a,b,c"
  std::vector<std::string> List(const std::string& name) const;           // comma-separated

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
};

int ParseInt(const std::string& text, const std::string& what);  // CliError when malformed

// The path made absolute and normalised: libraries and projects keep full paths of the
// files they name, so they still work when opened from another folder.
std::string AbsolutePath(const std::string& path);

// Progress of a long pass on standard error: on a terminal one line redrawn in place ("\r")
// with a bar; otherwise (a log, a pipe) a plain line at every tenth of the pass, so a pass
// of any length writes at most eleven lines.
class Progress {
 public:
  Progress(std::string label, int64_t total);
  ~Progress();
  void Update(int64_t done, const std::string& note = std::string());
  void SetTotal(int64_t total) { total_ = total; }
  void Finish();

 private:
  std::string label_;
  int64_t total_;
  int lastTenth_ = -1;
  int lastPercent_ = -1;
  std::string lastNote_;
  std::chrono::steady_clock::time_point lastDraw_;
  bool drawn_ = false;
  bool tty_;
  bool finished_ = false;
};

// While it lives, Ctrl+C sets the flag (a running pass then ends as its stop rule says);
// a second Ctrl+C ends the program.
class StopOnInterrupt {
 public:
  explicit StopOnInterrupt(std::atomic<bool>& flag);
  ~StopOnInterrupt();
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
};

// Seconds as "12.34 s".
std::string FormatSeconds(double seconds);

// One command of the tool: its name, a one-line usage text and the function that runs it
// on the arguments after the command name.
struct Command {
  std::string Name;
  std::string Usage;
  std::function<int(const std::vector<std::string>&)> Run;
};

// Every command file registers its commands through this list (see main.cpp).
std::vector<Command>& Commands();
struct RegisterCommand {
  RegisterCommand(Command c) { Commands().push_back(std::move(c)); }
};

}  // namespace qvcli
