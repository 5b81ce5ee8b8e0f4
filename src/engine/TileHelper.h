#pragma once
// One tile helper process: a separate program (quivara-tile-helper) that prepares pictures
// for a library build, so a decoder that loops forever or crashes on a picture costs that
// picture only. The build talks to it over a socket pair (engine/TileHelperProtocol.h); a
// helper that crashes, overruns the time limit or answers nonsense is killed, reaped and
// started again for the next picture.
#include <sys/types.h>

#include <functional>
#include <string>

#include "engine/TileBuilder.h"

namespace qv {

// The helper program: $QUIVARA_TILE_HELPER when set, else quivara-tile-helper beside the
// running program, else in ../libexec/quivara from it (the installed tree), else the one of
// the build tree. Empty when none of them exists.
std::string TileHelperPath();

// The address space a helper may use: room for the largest picture the decoders accept
// (codecs/CodecSupport.h) in the decoder's own buffers and ours, not for a runaway.
inline constexpr int64_t kTileHelperAddressSpace = int64_t(6) << 30;

// The loop of the helper program: requests read from fd, answers written to it, until the
// other end closes it. beforePicture, when given, sees each file name first and returns
// false when it has answered the request itself.
int RunTileHelper(int fd, const std::function<bool(const std::string&)>& beforePicture = nullptr);

class TTileHelper {
 public:
  explicit TTileHelper(std::string program);
  ~TTileHelper();  // kills and reaps a running helper
  TTileHelper(const TTileHelper&) = delete;
  TTileHelper& operator=(const TTileHelper&) = delete;

  // Starts the helper and waits for its greeting; false when it cannot be started or does
  // not greet in time (or cancelFd becomes readable meanwhile).
  bool Start(int cancelFd = -1);
  bool Running() const { return pid_ > 0; }

  enum class TOutcome {
    Answered,   // tile holds the helper's answer (a prepared tile, or the reason it is not)
    Failed,     // the helper crashed, ran out of time or answered nonsense; it is stopped
    Cancelled,  // cancelFd became readable; the helper is stopped
  };
  // Prepares one picture in the helper, which must be running.
  TOutcome Prepare(const std::string& fileName, const TBuildSettings& settings, int timeLimitMs, int cancelFd,
                   TPreparedTile& tile);

  // Kills the helper (SIGKILL) and reaps it.
  void Stop();

 private:
  std::string program_;
  pid_t pid_ = -1;
  int fd_ = -1;
};

}  // namespace qv
