// quivara-tile-helper: prepares the pictures of a library build in a process of its own, for
// quivara and quivara-cli (engine/TileHelper.h). It speaks only over the socket it gets as
// standard input and output, and lives as long as the build that started it.
//
// QUIVARA_TEST_HELPER_FAULT makes it misbehave on purpose, for the tests of the build's
// recovery: a comma-separated list of hang:TEXT, crash:TEXT and garbage:TEXT, each acting on
// the pictures whose file name contains TEXT (loop forever, abort, answer with a malformed
// frame).
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine/TileHelper.h"
#include "engine/TileHelperProtocol.h"

namespace {

std::vector<std::pair<std::string, std::string>> FaultsFromEnvironment() {
  std::vector<std::pair<std::string, std::string>> faults;
  const char* env = std::getenv("QUIVARA_TEST_HELPER_FAULT");
  if (!env) return faults;
  std::string list = env;
  size_t at = 0;
  while (at <= list.size()) {
    size_t end = list.find(',', at);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(at, end - at);
    const size_t colon = item.find(':');
    if (colon != std::string::npos && colon + 1 < item.size())
      faults.emplace_back(item.substr(0, colon), item.substr(colon + 1));
    at = end + 1;
  }
  return faults;
}

}  // namespace

int main() {
  // The answers go over a descriptor of their own; whatever a decoder library prints goes
  // to standard error instead of into them.
  const int fd = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
  if (fd < 0) return 1;
  const int devNull = ::open("/dev/null", O_RDONLY);
  if (devNull >= 0) ::dup2(devNull, 0);
  ::dup2(2, 1);
  // Go with the build: the helper is killed when the thread that started it ends.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  std::signal(SIGPIPE, SIG_IGN);

  rlimit core{0, 0};
  ::setrlimit(RLIMIT_CORE, &core);
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QUIVARA_SANITIZED 1
#endif
#endif
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(QUIVARA_SANITIZED)
  // The sanitizers reserve far more address space than they use; the limit is for the
  // ordinary build.
  rlimit as{rlim_t(qv::kTileHelperAddressSpace), rlim_t(qv::kTileHelperAddressSpace)};
  ::setrlimit(RLIMIT_AS, &as);
#endif

  const auto faults = FaultsFromEnvironment();
  std::string hello(4, '\0');
  hello[0] = static_cast<char>(qv::kTileHelperVersion);
  if (!qv::WriteFrame(fd, qv::kHelloTag, hello)) return 1;
  return qv::RunTileHelper(fd, [&](const std::string& fileName) {
    for (const auto& [kind, text] : faults) {
      if (fileName.find(text) == std::string::npos) continue;
      if (kind == "hang")
        while (true) ::pause();
      if (kind == "crash") std::abort();
      if (kind == "garbage") {
        qv::WriteFrame(fd, qv::kAnswerTag, "not an answer");
        return false;
      }
    }
    return true;
  });
}
