#include "imaging/RasterUtils.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/Errors.h"
#include "base/Rounding.h"

namespace qv {

void FitRectKeepAspect(const Rect& src, const Rect& box, Rect& result) {
  const int boxW = box.Right - box.Left, boxH = box.Bottom - box.Top;
  const int srcW = src.Right - src.Left, srcH = src.Bottom - src.Top;
  if (boxW == 0) {
    result = src;
    return;
  }
  if (static_cast<int64_t>(srcW) * srcH <= 0) return;
  Rect r;
  if (double(boxH) / boxW >= double(srcH) / srcW) {  // the box is relatively taller
    r.Left = 0;
    r.Right = boxW;
    int h = RoundHalfEven(double(srcH) * boxW / srcW);
    r.Top = RoundHalfEven((boxH - h) / 2.0);
    r.Bottom = r.Top + h;
  } else {
    r.Top = 0;
    r.Bottom = boxH;
    int w = RoundHalfEven(double(srcW) * boxH / srcH);
    r.Left = RoundHalfEven((boxW - w) / 2.0);
    r.Right = r.Left + w;
  }
  result = {r.Left + box.Left, r.Top + box.Top, r.Right + box.Left, r.Bottom + box.Top};
}

Rect FitRectKeepAspect(const Rect& src, const Rect& box) {
  Rect r;
  FitRectKeepAspect(src, box, r);
  return r;
}

void FitRectOrCenter(int srcW, int srcH, int boxW, int boxH, Rect& result) {
  if (boxW >= srcW && boxH >= srcH) {
    result.Top = RoundHalfEven((boxH - srcH) / 2.0);
    result.Left = RoundHalfEven((boxW - srcW) / 2.0);
    result.Right = result.Left + srcW;
    result.Bottom = result.Top + srcH;
    return;
  }
  Rect box{0, 0, boxW, boxH};
  if (boxW == 0) return;  // nothing sensible to fit into
  FitRectKeepAspect(Rect{0, 0, srcW, srcH}, box, result);
}

Rect GroupBoxImageArea(const Rect& groupBoxClient) {
  return {groupBoxClient.Left + 1, groupBoxClient.Top + 10, groupBoxClient.Right - 1, groupBoxClient.Bottom - 1};
}

void FitImageInBoxBounds(int pictureW, int pictureH, const Rect& groupBoxClient, Rect& bounds) {
  FitRectKeepAspect(Rect{0, 0, pictureW, pictureH}, GroupBoxImageArea(groupBoxClient), bounds);
}

void DifferenceImage(const Bitmap24& a, const Bitmap24& b, Bitmap24& out) {
  if (out.Width() != a.Width() || out.Height() != a.Height()) out.SetSize(a.Width(), a.Height());
  const int w = std::min(a.Width(), b.Width()), h = std::min(a.Height(), b.Height());
  for (int y = 0; y < h; ++y) {
    const uint8_t* pa = a.Row(y);
    const uint8_t* pb = b.Row(y);
    uint8_t* po = out.Row(y);
    for (int x = 0; x < w * 3; x += 3) {
      int d = (std::abs(pa[x] - pb[x]) + std::abs(pa[x + 1] - pb[x + 1]) + std::abs(pa[x + 2] - pb[x + 2])) / 3;
      po[x] = po[x + 1] = po[x + 2] = uint8_t(d);
    }
  }
}

void FlipCode(int x1, int y1, int x2, int y2, std::string& text) {
  if (x1 < x2 && y1 < y2)
    text.clear();
  else if (x2 < x1 && y1 < y2)
    text = "H";
  else if (x1 < x2 && y2 < y1)
    text = "V";
  else if (x2 < x1 && y2 < y1)
    text = "180";
}

std::string FlipCode(int x1, int y1, int x2, int y2) {
  std::string s;
  FlipCode(x1, y1, x2, y2, s);
  return s;
}

std::string FormatByteSize(int64_t bytes) {
  static const char* const kUnits[] = {" Bytes", " KB", " MB", " GB"};
  double v = static_cast<double>(bytes);
  int i = 0;
  while (i < 3 && v >= 1024) {
    v /= 1024;
    ++i;
  }
  // Two decimals, then thousands separators in the integer part.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s(buf);
  size_t dot = s.find('.');
  size_t start = (s[0] == '-') ? 1 : 0;
  for (size_t pos = dot; pos > start + 3;) {
    pos -= 3;
    s.insert(pos, ",");
  }
  return s + kUnits[i];
}

std::string MakeTempFileName(const std::string& prefix) {
  std::string dir = std::filesystem::temp_directory_path().string();
  std::string name = dir + "/" + prefix.substr(0, 3) + "XXXXXX";
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw EStreamError("Cannot create a temporary file in " + dir);
  ::close(fd);
  return name;
}

int ResampleFilterFromCode(int code) { return (code >= 0 && code <= 5) ? code : 6; }

}  // namespace qv
