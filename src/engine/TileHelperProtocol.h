#pragma once
// The messages between a library build and its tile helper processes (engine/TileHelper.h).
// Each message is a frame: a 4-byte tag, the 4-byte length of the body, then the body, all
// little-endian. The helper greets once when it starts (kHelloTag, the protocol version);
// then each request (kRequestTag: the build settings and one picture file name) gets one
// answer (kAnswerTag: the prepared tile, cropped picture included).
#include <cstdint>
#include <string>

#include "engine/TileBuilder.h"

namespace qv {

inline constexpr uint32_t kTileHelperVersion = 1;
inline constexpr uint32_t kHelloTag = 0x69485651;    // "QVHi"
inline constexpr uint32_t kRequestTag = 0x71525651;  // "QVRq"
inline constexpr uint32_t kAnswerTag = 0x6E415651;   // "QVAn"
// No body is longer: the largest is an answer carrying a cropped picture of the most pixels
// a decoder accepts (codecs/CodecSupport.h), 3 bytes each.
inline constexpr uint32_t kMaxFrameBody = uint32_t(1) << 30;

std::string EncodeTileRequest(const std::string& fileName, const TBuildSettings& settings);
// False for a body that is not a request.
bool DecodeTileRequest(const std::string& body, std::string& fileName, TBuildSettings& settings);

std::string EncodeTileAnswer(const TPreparedTile& tile);
// False for a body that is not a well-formed answer to a request made with these settings
// (a signature of another size, a picture whose bytes do not match its size).
bool DecodeTileAnswer(const std::string& body, const TBuildSettings& settings, TPreparedTile& tile);

// Writes a whole frame; false when the other end is gone (no SIGPIPE is raised).
bool WriteFrame(int fd, uint32_t tag, const std::string& body);

enum class TFrameRead { Ok, Closed, Malformed, TimedOut, Cancelled };
// Reads one frame of the expected tag. deadlineMs is a CLOCK_MONOTONIC time in milliseconds
// (see MonotonicMs), or -1 for no limit; cancelFd, when not -1, ends the wait as soon as it
// becomes readable.
TFrameRead ReadFrame(int fd, uint32_t tag, std::string& body, int64_t deadlineMs = -1, int cancelFd = -1);

int64_t MonotonicMs();

}  // namespace qv
