#include "cli/CliCommon.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace qvcli {

std::vector<Command>& Commands() {
  static std::vector<Command> list;
  return list;
}

Args::Args(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flags) {
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2), value;
      bool hasValue = false;
      auto eq = name.find('=');
      if (eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        hasValue = true;
      }
      if (valueOptions.count(name)) {
        if (!hasValue) {
          if (i + 1 >= argv.size()) throw CliError("Option --" + name + " needs a value");
          value = argv[++i];
        }
        values_[name] = value;
      } else if (flags.count(name)) {
        if (hasValue) throw CliError("Option --" + name + " takes no value");
        flags_.insert(name);
      } else {
        throw CliError("Unknown option --" + name);
      }
    } else {
      positional_.push_back(a);
    }
  }
}

const std::string& Args::Need(size_t n, const std::string& what) const {
  if (n >= positional_.size()) throw CliError("Missing " + what);
  return positional_[n];
}

bool Args::Has(const std::string& name) const { return flags_.count(name) || values_.count(name); }

std::string Args::Value(const std::string& name, const std::string& def) const {
  auto it = values_.find(name);
  return it == values_.end() ? def : it->second;
}

int ParseInt(const std::string& text, const std::string& what) {
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < INT_MIN || v > INT_MAX)
    throw CliError("Not a number for " + what + ": \"" + text + "\"");
  return static_cast<int>(v);
}

int Args::Int(const std::string& name, int def) const {
  auto it = values_.find(name);
  return it == values_.end() ? def : ParseInt(it->second, "--" + name);
}

std::vector<std::string> Args::List(const std::string& name) const {
  std::vector<std::string> out;
  std::string v = Value(name);
  if (v.empty()) return out;
  size_t start = 0;
  while (true) {
    auto p = v.find(',', start);
    out.push_back(v.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) break;
    start = p + 1;
  }
  return out;
}

std::vector<int> Args::IntList(const std::string& name, size_t count) const {
  std::vector<std::string> parts = List(name);
  if (parts.size() != count)
    throw CliError("--" + name + " needs " + std::to_string(count) + " comma-separated numbers");
  std::vector<int> out;
  for (auto& p : parts) out.push_back(ParseInt(p, "--" + name));
  return out;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

Progress::Progress(std::string label, int64_t total)
    : label_(std::move(label)), total_(total), tty_(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() { Finish(); }

void Progress::Update(int64_t done, const std::string& note) {
  if (finished_) return;
  double frac = total_ > 0 ? double(done) / double(total_) : 1.0;
  frac = std::clamp(frac, 0.0, 1.0);
  if (tty_) {
    // Redrawn in place, at most every 50 ms unless the percentage or the note changes.
    const int percent = int(frac * 100);
    const auto now = std::chrono::steady_clock::now();
    if (percent == lastPercent_ && note == lastNote_ && now - lastDraw_ < std::chrono::milliseconds(50)) return;
    lastPercent_ = percent;
    lastNote_ = note;
    lastDraw_ = now;
    std::string bar(size_t(frac * 30), '#');
    bar.resize(30, '.');
    std::fprintf(stderr, "\r%s [%s] %3d%% %" PRId64 "/%" PRId64 " %s\033[K", label_.c_str(), bar.c_str(), percent, done,
                 total_, note.c_str());
    std::fflush(stderr);
    drawn_ = true;
  } else {
    // A log gets a line at every tenth of the pass, whatever its length.
    const int tenth = int(frac * 10);
    if (tenth != lastTenth_) {
      lastTenth_ = tenth;
      std::fprintf(stderr, "%s: %d%% (%" PRId64 "/%" PRId64 ")%s%s\n", label_.c_str(), tenth * 10, done, total_,
                   note.empty() ? "" : " ", note.c_str());
    }
  }
}

void Progress::Finish() {
  if (finished_) return;
  finished_ = true;
  if (tty_ && drawn_) std::fprintf(stderr, "\n");
}

namespace {
std::atomic<bool>* gStopFlag = nullptr;

extern "C" void OnInterrupt(int) {
  if (gStopFlag) *gStopFlag = true;
  ::signal(SIGINT, SIG_DFL);
}
}  // namespace

StopOnInterrupt::StopOnInterrupt(std::atomic<bool>& flag) {
  gStopFlag = &flag;
  ::signal(SIGINT, OnInterrupt);
}

StopOnInterrupt::~StopOnInterrupt() {
  ::signal(SIGINT, SIG_DFL);
  gStopFlag = nullptr;
}

std::string FormatSeconds(double seconds) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f s", seconds);
  return buf;
}

}  // namespace qvcli
