#pragma once
// The scanner through SANE: the devices the SANE library sees, and one picture scanned from
// a device at its default settings. The library is initialised on first use and released
// when the program ends. Qt-free; the windows call it from a worker thread.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "raster/Bitmap24.h"

namespace qv {

// A scan that failed or was cancelled; the message is the text the user sees.
class EScanError : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

struct TScannerDevice {
  std::string Name;    // what SANE opens the device by ("test:0", "epson2:libusb:001:004")
  std::string Vendor;  // "Noname"
  std::string Model;   // "frontend-tester"
  std::string Type;    // "virtual device", "flatbed scanner"
  // "Noname frontend-tester (test:0)"
  std::string Caption() const;
};

// The devices SANE finds now (probing may take a few seconds). Raises EScanError when the
// library cannot be initialised.
std::vector<TScannerDevice> ListScannerDevices();

// Scans one picture from the device (empty name: the first device found). progress receives
// the fraction done (0..1, or -1 when the picture's length is unknown) now and then; cancel
// is polled between reads and ends the scan. Grey, colour and three-pass frames of 1, 8 or
// 16 bits come back as a Bitmap24. Raises EScanError with the reason on failure and with
// "Scanning cancelled" when cancelled.
Bitmap24 ScanPicture(const std::string& deviceName, const std::function<void(double)>& progress,
                     const std::atomic<bool>& cancel);

}  // namespace qv
