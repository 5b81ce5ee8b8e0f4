#include "engine/TileHelper.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>

#include "base/FileUtil.h"
#include "engine/TileHelperProtocol.h"

extern char** environ;

namespace qv {
namespace {

const char kHelperName[] = "quivara-tile-helper";
// A helper that has not greeted within this time is taken as one that cannot start.
constexpr int kStartTimeLimitMs = 10000;

bool IsExecutable(const std::string& path) { return FileExists(path) && ::access(path.c_str(), X_OK) == 0; }

std::string RunningProgramDir() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  return ExtractFileDir(std::string(buf, size_t(n)));
}

}  // namespace

std::string TileHelperPath() {
  if (const char* env = std::getenv("QUIVARA_TILE_HELPER"); env && *env) return IsExecutable(env) ? env : "";
  const std::string dir = RunningProgramDir();
  if (!dir.empty()) {
    for (const std::string& p : {dir + "/" + kHelperName, dir + "/../libexec/quivara/" + kHelperName})
      if (IsExecutable(p)) return p;
  }
#ifdef QUIVARA_TILE_HELPER_BUILD_PATH
  if (IsExecutable(QUIVARA_TILE_HELPER_BUILD_PATH)) return QUIVARA_TILE_HELPER_BUILD_PATH;
#endif
  return std::string();
}

int RunTileHelper(int fd, const std::function<bool(const std::string&)>& beforePicture) {
  while (true) {
    std::string body;
    const TFrameRead r = ReadFrame(fd, kRequestTag, body);
    if (r == TFrameRead::Closed) return 0;
    if (r != TFrameRead::Ok) return 1;
    std::string fileName;
    TBuildSettings settings;
    if (!DecodeTileRequest(body, fileName, settings)) return 1;
    if (beforePicture && !beforePicture(fileName)) continue;
    if (!WriteFrame(fd, kAnswerTag, EncodeTileAnswer(PrepareTile(fileName, settings)))) return 0;
  }
}

TTileHelper::TTileHelper(std::string program) : program_(std::move(program)) {}

TTileHelper::~TTileHelper() { Stop(); }

bool TTileHelper::Start(int cancelFd) {
  Stop();
  if (program_.empty()) return false;
  int sv[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return false;
  // The helper gets its end as stdin and stdout; nothing else of ours is left open in it.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sv[1], 0);
  posix_spawn_file_actions_adddup2(&actions, sv[1], 1);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // A build stopped with Ctrl+C stops its helpers itself; they do not take the signal.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  char* argv[] = {const_cast<char*>(program_.c_str()), nullptr};
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, program_.c_str(), &actions, &attr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(sv[1]);
  if (rc != 0) {
    ::close(sv[0]);
    return false;
  }
  pid_ = pid;
  fd_ = sv[0];
  std::string hello;
  if (ReadFrame(fd_, kHelloTag, hello, MonotonicMs() + kStartTimeLimitMs, cancelFd) != TFrameRead::Ok ||
      hello.size() != 4 || static_cast<uint8_t>(hello[0]) != kTileHelperVersion || hello[1] || hello[2] || hello[3]) {
    Stop();
    return false;
  }
  return true;
}

TTileHelper::TOutcome TTileHelper::Prepare(const std::string& fileName, const TBuildSettings& settings, int timeLimitMs,
                                           int cancelFd, TPreparedTile& tile) {
  tile = TPreparedTile();
  const int64_t deadline = MonotonicMs() + (timeLimitMs > 0 ? timeLimitMs : kPictureTimeLimitMs);
  std::string answer;
  TFrameRead r = TFrameRead::Closed;
  if (fd_ >= 0 && WriteFrame(fd_, kRequestTag, EncodeTileRequest(fileName, settings)))
    r = ReadFrame(fd_, kAnswerTag, answer, deadline, cancelFd);
  if (r == TFrameRead::Ok && DecodeTileAnswer(answer, settings, tile)) return TOutcome::Answered;
  Stop();
  tile = TPreparedTile();
  if (r == TFrameRead::Cancelled) return TOutcome::Cancelled;
  tile.Error = r == TFrameRead::TimedOut ? "The picture took too long to decode" : "The picture's decoder failed";
  return TOutcome::Failed;
}

void TTileHelper::Stop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
}

}  // namespace qv
