#include "source/SaneScanner.h"

#include <sane/sane.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace qv {

namespace {

// The SANE library, initialised once for the program's life. SANE is not meant for
// concurrent use: every call into it holds the lock.
std::mutex& SaneLock() {
  static std::mutex lock;
  return lock;
}

class TSaneLibrary {
 public:
  static TSaneLibrary& Get() {
    static TSaneLibrary library;
    if (!library.ok_) throw EScanError(std::string("The scanner library cannot start: ") + library.error_);
    return library;
  }
  ~TSaneLibrary() {
    if (ok_) sane_exit();
  }

 private:
  TSaneLibrary() {
    SANE_Int version = 0;
    const SANE_Status s = sane_init(&version, nullptr);
    ok_ = s == SANE_STATUS_GOOD;
    if (!ok_) error_ = sane_strstatus(s);
  }
  bool ok_ = false;
  std::string error_;
};

std::string Text(SANE_String_Const s) { return s ? std::string(s) : std::string(); }

// Closes a device handle (and cancels a scan in progress) when it goes.
struct TDeviceHandle {
  SANE_Handle Handle = nullptr;
  ~TDeviceHandle() {
    if (Handle) {
      sane_cancel(Handle);
      sane_close(Handle);
    }
  }
};

// Sample value (0..255) of channel sample i of a line, for 1, 8 and 16 bits per sample.
// 1-bit SANE pictures use 1 for black.
uint8_t Sample(const uint8_t* line, int i, int depth) {
  switch (depth) {
    case 1:
      return (line[i >> 3] & (0x80 >> (i & 7))) ? 0 : 255;
    case 16: {
      uint16_t v;
      std::memcpy(&v, line + 2 * i, 2);  // native byte order
      return uint8_t(v >> 8);
    }
    default:
      return line[i];
  }
}

}  // namespace

std::string TScannerDevice::Caption() const {
  std::string s = Vendor;
  if (!Model.empty()) s += (s.empty() ? "" : " ") + Model;
  return s + " (" + Name + ")";
}

std::vector<TScannerDevice> ListScannerDevices() {
  std::lock_guard lock(SaneLock());
  TSaneLibrary::Get();
  const SANE_Device** list = nullptr;
  const SANE_Status s = sane_get_devices(&list, SANE_FALSE);
  if (s != SANE_STATUS_GOOD) throw EScanError(std::string("The scanners cannot be listed: ") + sane_strstatus(s));
  std::vector<TScannerDevice> devices;
  for (int i = 0; list && list[i]; ++i)
    devices.push_back({Text(list[i]->name), Text(list[i]->vendor), Text(list[i]->model), Text(list[i]->type)});
  return devices;
}

Bitmap24 ScanPicture(const std::string& deviceName, const std::function<void(double)>& progress,
                     const std::atomic<bool>& cancel) {
  std::lock_guard lock(SaneLock());
  TSaneLibrary::Get();
  std::string name = deviceName;
  if (name.empty()) {
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list || !list[0])
      throw EScanError("No scanner found.");
    name = Text(list[0]->name);
  }
  TDeviceHandle device;
  SANE_Status s = sane_open(name.c_str(), &device.Handle);
  if (s != SANE_STATUS_GOOD) {
    device.Handle = nullptr;
    throw EScanError("The scanner " + name + " cannot be opened: " + sane_strstatus(s));
  }

  // Planes of the picture: one interleaved RGB or grey frame, or three single-colour frames.
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // width x height x 3, red, green, blue
  std::vector<uint8_t> buffer(64 * 1024);
  bool last = false;
  while (!last) {
    s = sane_start(device.Handle);
    if (s == SANE_STATUS_CANCELLED || cancel) throw EScanError("Scanning cancelled");
    if (s != SANE_STATUS_GOOD) throw EScanError(std::string("The scan did not start: ") + sane_strstatus(s));
    SANE_Parameters p;
    s = sane_get_parameters(device.Handle, &p);
    if (s != SANE_STATUS_GOOD) throw EScanError(std::string("The scan did not start: ") + sane_strstatus(s));
    last = p.last_frame;
    const bool single = p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB;
    const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 || (p.depth != 1 && p.depth != 8 && p.depth != 16) ||
        (p.format == SANE_FRAME_RGB && p.depth == 1) || p.format > SANE_FRAME_BLUE)
      throw EScanError("The scanner delivers a picture format that cannot be read");
    if (width == 0) width = p.pixels_per_line;
    if (p.pixels_per_line != width) throw EScanError("The scanner's frames differ in width");
    const int plane = p.format == SANE_FRAME_RED ? 0 : p.format == SANE_FRAME_GREEN ? 1 : 2;
    const size_t lineBytes = size_t(p.bytes_per_line);
    std::vector<uint8_t> line(lineBytes);
    size_t filled = 0;
    int row = 0;
    const int expected = p.lines;  // -1: unknown until the end
    for (;;) {
      if (cancel) throw EScanError("Scanning cancelled");
      SANE_Int got = 0;
      s = sane_read(device.Handle, buffer.data(), SANE_Int(buffer.size()), &got);
      if (s == SANE_STATUS_EOF) break;
      if (s == SANE_STATUS_CANCELLED) throw EScanError("Scanning cancelled");
      if (s != SANE_STATUS_GOOD) throw EScanError(std::string("The scan failed: ") + sane_strstatus(s));
      for (SANE_Int k = 0; k < got;) {
        const size_t take = std::min(lineBytes - filled, size_t(got - k));
        std::memcpy(line.data() + filled, buffer.data() + k, take);
        filled += take;
        k += SANE_Int(take);
        if (filled < lineBytes) continue;
        filled = 0;
        if (size_t(row + 1) * size_t(width) * 3 > rgb.size()) {
          if (int64_t(row + 1) * width > (int64_t(1) << 31)) throw EScanError("The scanned picture is too large");
          rgb.resize(size_t(row + 1) * size_t(width) * 3, 0);
        }
        uint8_t* out = rgb.data() + size_t(row) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
          if (single) {
            for (int c = 0; c < 3; ++c)
              out[x * 3 + c] = Sample(line.data(), x * channels + (channels == 3 ? c : 0), p.depth);
          } else {
            out[x * 3 + plane] = Sample(line.data(), x, p.depth);
          }
        }
        ++row;
        if (progress && (row & 15) == 0) progress(expected > 0 ? double(row) / expected : -1.0);
      }
    }
    height = std::max(height, row);
    if (progress) progress(1.0);
  }
  if (width <= 0 || height <= 0) throw EScanError("The scanner delivered no picture");
  Bitmap24 bmp;
  bmp.Reshape(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* s3 = rgb.data() + size_t(y) * size_t(width) * 3;
    uint8_t* d = bmp.Row(y);
    for (int x = 0; x < width; ++x) {
      d[x * 3] = s3[x * 3 + 2];
      d[x * 3 + 1] = s3[x * 3 + 1];
      d[x * 3 + 2] = s3[x * 3];
    }
  }
  return bmp;
}

}  // namespace qv
