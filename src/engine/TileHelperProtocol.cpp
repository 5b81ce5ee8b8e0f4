#include "engine/TileHelperProtocol.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "base/ByteIO.h"
#include "codecs/CodecSupport.h"

namespace qv {
namespace {

void PutU8(std::string& s, uint8_t v) { s.push_back(static_cast<char>(v)); }
void PutI32(std::string& s, int32_t v) { AppendLE32(s, static_cast<uint32_t>(v)); }
void PutBytes(std::string& s, const void* data, size_t size) {
  AppendLE32(s, static_cast<uint32_t>(size));
  s.append(static_cast<const char*>(data), size);
}
void PutText(std::string& s, const std::string& t) { PutBytes(s, t.data(), t.size()); }

// Reads a body front to back; any read past its end makes the whole body bad.
class TBodyReader {
 public:
  explicit TBodyReader(const std::string& body) : p_(body.data()), left_(body.size()) {}
  bool Ok() const { return ok_; }
  bool AtEnd() const { return ok_ && left_ == 0; }
  uint8_t U8() {
    const char* p = Take(1);
    return p ? static_cast<uint8_t>(*p) : 0;
  }
  int32_t I32() {
    const char* p = Take(4);
    return p ? GetLE32s(reinterpret_cast<const uint8_t*>(p)) : 0;
  }
  // A length-prefixed run of bytes: its start, or nullptr.
  const char* Bytes(size_t& size) {
    const char* p = Take(4);
    size = p ? GetLE32(reinterpret_cast<const uint8_t*>(p)) : 0;
    return p ? Take(size) : nullptr;
  }
  std::string Text() {
    size_t size = 0;
    const char* p = Bytes(size);
    return p ? std::string(p, size) : std::string();
  }

 private:
  const char* Take(size_t n) {
    if (!ok_ || n > left_) {
      ok_ = false;
      return nullptr;
    }
    const char* p = p_;
    p_ += n;
    left_ -= n;
    return p;
  }
  const char* p_;
  size_t left_;
  bool ok_ = true;
};

}  // namespace

std::string EncodeTileRequest(const std::string& fileName, const TBuildSettings& s) {
  std::string b;
  PutI32(b, s.PropX);
  PutI32(b, s.PropY);
  PutI32(b, s.GridW);
  PutI32(b, s.GridH);
  PutU8(b, s.ColorSystem);
  PutU8(b, s.FilterCode);
  PutI32(b, s.ThumbWidth);
  PutU8(b, s.JpegQuality);
  PutI32(b, s.MarginPercent);
  PutI32(b, s.CropMode);
  PutU8(b, s.FastJpeg ? 1 : 0);
  PutText(b, fileName);
  return b;
}

bool DecodeTileRequest(const std::string& body, std::string& fileName, TBuildSettings& s) {
  TBodyReader r(body);
  s.PropX = r.I32();
  s.PropY = r.I32();
  s.GridW = r.I32();
  s.GridH = r.I32();
  s.ColorSystem = r.U8();
  s.FilterCode = r.U8();
  s.ThumbWidth = r.I32();
  s.JpegQuality = r.U8();
  s.MarginPercent = r.I32();
  s.CropMode = r.I32();
  s.FastJpeg = r.U8() != 0;
  fileName = r.Text();
  if (!r.AtEnd()) return false;
  try {
    s.Check();
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

std::string EncodeTileAnswer(const TPreparedTile& t) {
  std::string b;
  PutU8(b, t.Ok ? 1 : 0);
  PutText(b, t.Error);
  PutI32(b, t.PicWidth);
  PutI32(b, t.PicHeight);
  PutI32(b, t.Crop.Left);
  PutI32(b, t.Crop.Top);
  PutI32(b, t.Crop.Right);
  PutI32(b, t.Crop.Bottom);
  PutBytes(b, t.Signature.data(), t.Signature.size());
  PutText(b, t.Jpeg);
  const int w = t.Cropped.Width(), h = t.Cropped.Height();
  PutI32(b, w);
  PutI32(b, h);
  AppendLE32(b, static_cast<uint32_t>(size_t(w) * h * 3));
  for (int y = 0; y < h; ++y) b.append(reinterpret_cast<const char*>(t.Cropped.Row(y)), size_t(w) * 3);
  return b;
}

bool DecodeTileAnswer(const std::string& body, const TBuildSettings& s, TPreparedTile& t) {
  t = TPreparedTile();
  TBodyReader r(body);
  const uint8_t ok = r.U8();
  t.Error = r.Text();
  t.PicWidth = r.I32();
  t.PicHeight = r.I32();
  t.Crop.Left = r.I32();
  t.Crop.Top = r.I32();
  t.Crop.Right = r.I32();
  t.Crop.Bottom = r.I32();
  size_t sigSize = 0;
  const char* sig = r.Bytes(sigSize);
  t.Jpeg = r.Text();
  const int32_t w = r.I32(), h = r.I32();
  size_t pixelBytes = 0;
  const char* pixels = r.Bytes(pixelBytes);
  if (!r.AtEnd() || ok > 1 || w < 0 || h < 0 || w > kMaxPictureSide || h > kMaxPictureSide ||
      pixelBytes != size_t(w) * size_t(h) * 3)
    return false;
  t.Ok = ok == 1;
  if (!t.Ok) {
    // A picture the helper could not use: the reason only.
    const std::string error = t.Error;
    t = TPreparedTile();
    t.Error = error;
    return true;
  }
  // What a record needs, in the sizes the record takes.
  if (sigSize != size_t(s.GridW) * size_t(s.GridH) * 3 || t.Jpeg.empty() || t.PicWidth <= 0 || t.PicHeight <= 0 ||
      t.PicWidth > 0xFFFF || t.PicHeight > 0xFFFF)
    return false;
  t.Signature.assign(reinterpret_cast<const uint8_t*>(sig), reinterpret_cast<const uint8_t*>(sig) + sigSize);
  if (w > 0 && h > 0) {
    t.Cropped.SetSize(w, h);
    for (int y = 0; y < h; ++y) std::memcpy(t.Cropped.Row(y), pixels + size_t(y) * w * 3, size_t(w) * 3);
  }
  return true;
}

int64_t MonotonicMs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

namespace {

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t k = ::send(fd, p, n, MSG_NOSIGNAL);
    if (k < 0 && errno == ENOTSOCK) k = ::write(fd, p, n);
    if (k < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += k;
    n -= size_t(k);
  }
  return true;
}

// Waits until fd can be read; the reason when it cannot.
TFrameRead WaitReadable(int fd, int64_t deadlineMs, int cancelFd) {
  while (true) {
    int timeout = -1;
    if (deadlineMs >= 0) {
      const int64_t left = deadlineMs - MonotonicMs();
      if (left <= 0) return TFrameRead::TimedOut;
      timeout = static_cast<int>(left > 1000000 ? 1000000 : left);
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
    const int n = ::poll(fds, cancelFd >= 0 ? 2 : 1, timeout);
    if (n < 0) {
      if (errno == EINTR) continue;
      return TFrameRead::Closed;
    }
    if (cancelFd >= 0 && fds[1].revents) return TFrameRead::Cancelled;
    if (fds[0].revents) return TFrameRead::Ok;  // data, or the end (the read says which)
  }
}

TFrameRead ReadAll(int fd, char* p, size_t n, int64_t deadlineMs, int cancelFd) {
  while (n > 0) {
    const TFrameRead w = WaitReadable(fd, deadlineMs, cancelFd);
    if (w != TFrameRead::Ok) return w;
    const ssize_t k = ::read(fd, p, n);
    if (k < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return TFrameRead::Closed;
    }
    if (k == 0) return TFrameRead::Closed;
    p += k;
    n -= size_t(k);
  }
  return TFrameRead::Ok;
}

}  // namespace

bool WriteFrame(int fd, uint32_t tag, const std::string& body) {
  if (body.size() > kMaxFrameBody) return false;
  std::string head;
  AppendLE32(head, tag);
  AppendLE32(head, static_cast<uint32_t>(body.size()));
  return WriteAll(fd, head.data(), head.size()) && WriteAll(fd, body.data(), body.size());
}

TFrameRead ReadFrame(int fd, uint32_t tag, std::string& body, int64_t deadlineMs, int cancelFd) {
  uint8_t head[8];
  TFrameRead r = ReadAll(fd, reinterpret_cast<char*>(head), sizeof head, deadlineMs, cancelFd);
  if (r != TFrameRead::Ok) return r;
  const uint32_t size = GetLE32(head + 4);
  if (GetLE32(head) != tag || size > kMaxFrameBody) return TFrameRead::Malformed;
  body.assign(size, '\0');
  return ReadAll(fd, body.data(), size, deadlineMs, cancelFd);
}

}  // namespace qv
