#pragma once
// Runs a piece of code in a child process whose address space may grow by only a few hundred
// MB, so a test can tell that a reader refused a hostile file before allocating for it: an
// allocation beyond the bound fails in the child (std::bad_alloc) instead of succeeding
// quietly in the test process.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <new>

namespace qvtest {

// The sanitizers reserve terabytes of shadow memory up front: no limit can be set there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kAddressSpaceLimitWorks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kAddressSpaceLimitWorks = false;
#else
inline constexpr bool kAddressSpaceLimitWorks = true;
#endif
#else
inline constexpr bool kAddressSpaceLimitWorks = true;
#endif

enum TLimitedRun : int {
  kLimitedReturned = 0,  // body returned true
  kLimitedFalse = 1,     // body returned false
  kLimitedBadAlloc = 2,  // an allocation failed under the limit
  kLimitedThrew = 3,     // another exception left body
  kLimitedDied = 4,      // killed by a signal, or no child could be started
};

// Runs body in a forked child whose address space may grow by extraBytes beyond what the
// process has mapped now. The child runs only body and leaves with _exit.
inline TLimitedRun RunWithAddressSpaceLimit(uint64_t extraBytes, const std::function<bool()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return kLimitedDied;
  if (pid == 0) {
    uint64_t pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%lu", reinterpret_cast<unsigned long*>(&pages)) != 1) pages = 0;
      std::fclose(f);
    }
    const uint64_t limit = pages * uint64_t(::sysconf(_SC_PAGESIZE)) + extraBytes;
    rlimit rl{limit, limit};
    if (pages == 0 || ::setrlimit(RLIMIT_AS, &rl) != 0) ::_exit(kLimitedDied);
    int code = kLimitedThrew;
    try {
      code = body() ? kLimitedReturned : kLimitedFalse;
    } catch (const std::bad_alloc&) {
      code = kLimitedBadAlloc;
    } catch (...) {
      code = kLimitedThrew;
    }
    ::_exit(code);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return kLimitedDied;
  return static_cast<TLimitedRun>(WEXITSTATUS(status));
}

}  // namespace qvtest
