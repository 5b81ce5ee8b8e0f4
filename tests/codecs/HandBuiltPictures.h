#pragma once
// Picture files built byte by byte, for the formats no library here writes.
#include <string>
#include <vector>

#include "CodecTestUtil.h"

namespace qvtest {

// One icon image stored as a bitmap: size x size, 24 bits with an AND mask that hides the
// left half, or 32 bits whose alpha runs 0, 128, 255 by column thirds (and an empty mask).
inline std::string IconDib(int size, int bpp, uint8_t b, uint8_t g, uint8_t r) {
  std::string d;
  AppendLE32(d, 40);
  AppendLE32(d, uint32_t(size));
  AppendLE32(d, uint32_t(size * 2));  // colour rows plus mask rows
  AppendLE16(d, 1);
  AppendLE16(d, unsigned(bpp));
  for (int i = 0; i < 6; ++i) AppendLE32(d, 0);
  const int stride = (size * bpp + 31) / 32 * 4;
  for (int y = size - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < size; ++x) {
      // Masked pixels are black, as icon editors store them, except in column 0.
      const bool black = bpp == 24 && x > 0 && x < size / 2;
      row += char(black ? 0 : b);
      row += char(black ? 0 : g);
      row += char(black ? 0 : r);
      if (bpp == 32) row += char(x < size / 3 ? 0 : x < 2 * size / 3 ? 128 : 255);
    }
    row.resize(size_t(stride), '\0');
    d += row;
  }
  const int maskStride = (size + 31) / 32 * 4;
  for (int y = size - 1; y >= 0; --y) {
    std::string row(size_t(maskStride), '\0');
    if (bpp == 24)
      for (int x = 0; x < size / 2; ++x) row[size_t(x / 8)] = char(row[size_t(x / 8)] | (0x80 >> (x % 8)));
    d += row;
  }
  return d;
}

struct IconEntry {
  int size;
  int bpp;
  std::string data;
};

inline std::string IconFile(const std::vector<IconEntry>& entries) {
  std::string head, body;
  AppendLE16(head, 0);
  AppendLE16(head, 1);
  AppendLE16(head, unsigned(entries.size()));
  uint32_t offset = uint32_t(6 + 16 * entries.size());
  for (const IconEntry& e : entries) {
    head += char(e.size >= 256 ? 0 : e.size);
    head += char(e.size >= 256 ? 0 : e.size);
    head += char(0);
    head += char(0);
    AppendLE16(head, 1);
    AppendLE16(head, unsigned(e.bpp));
    AppendLE32(head, uint32_t(e.data.size()));
    AppendLE32(head, offset + uint32_t(body.size()));
    body += e.data;
  }
  return head + body;
}

// PackBits with both packet kinds: runs of three or more equal bytes repeat, the rest is
// literal.
inline std::string PackBits(const std::string& row) {
  std::string out;
  size_t i = 0;
  while (i < row.size()) {
    size_t run = 1;
    while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      out += char(1 - int(run));
      out += row[i];
      i += run;
      continue;
    }
    size_t start = i, n = 0;
    while (i < row.size() && n < 128) {
      if (i + 2 < row.size() && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
      ++i;
      ++n;
    }
    out += char(n - 1);
    out += row.substr(start, n);
  }
  return out;
}

struct Psd {
  int version = 1;
  int width = 0, height = 0, depth = 8, mode = 3;
  std::string colorData;
  std::vector<std::string> planes;  // one per channel: every row, rows packed to whole bytes
  bool rle = false;

  std::string Bytes() const {
    std::string s = "8BPS";
    AppendBE16(s, unsigned(version));
    s += std::string(6, '\0');
    AppendBE16(s, unsigned(planes.size()));
    AppendBE32(s, uint32_t(height));
    AppendBE32(s, uint32_t(width));
    AppendBE16(s, unsigned(depth));
    AppendBE16(s, unsigned(mode));
    AppendBE32(s, uint32_t(colorData.size()));
    s += colorData;
    AppendBE32(s, 6);
    s += "8BIMxx";  // resources we skip
    if (version == 2) AppendBE32(s, 0);
    AppendBE32(s, 4);
    s += std::string(4, '\0');  // layers we skip
    AppendBE16(s, rle ? 1 : 0);
    if (!rle) {
      for (const std::string& p : planes) s += p;
      return s;
    }
    const size_t rowBytes = planes[0].size() / size_t(height);
    std::string counts, data;
    for (const std::string& p : planes)
      for (int y = 0; y < height; ++y) {
        std::string packed = PackBits(p.substr(rowBytes * size_t(y), rowBytes));
        if (version == 2)
          AppendBE32(counts, uint32_t(packed.size()));
        else
          AppendBE16(counts, unsigned(packed.size()));
        data += packed;
      }
    return s + counts + data;
  }
};

// w x h pixels, pixel (x, y) = colour index x + y; entry i of the colour table is
// (i, 2i, 3i) scaled to maxValue.
inline std::string AnimatorCel(int w, int h, int maxValue) {
  std::string s;
  AppendLE16(s, 0x9119);
  AppendLE16(s, unsigned(w));
  AppendLE16(s, unsigned(h));
  AppendLE16(s, 5);  // position
  AppendLE16(s, 7);
  s += char(8);
  s += char(0);
  AppendLE32(s, uint32_t(w * h));
  s += std::string(16, '\0');
  for (int i = 0; i < 256; ++i)
    for (int c = 1; c <= 3; ++c) s += char(i * c % (maxValue + 1));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s += char(x + y);
  return s;
}

// Dr. Halo: width, height, 0; then per row a byte count and runs (high bit: repeat the next
// byte, else copy that many bytes), ending with 0.
inline std::string HaloCut() {
  std::string s;
  AppendLE16(s, 6);
  AppendLE16(s, 2);
  AppendLE16(s, 0);
  for (int y = 0; y < 2; ++y) {
    std::string row = {char(0x83), char(y + 1), 3, 10, 20, 30, 0};
    AppendLE16(s, unsigned(row.size()));
    s += row;
  }
  return s;
}

inline void WmfRecord(std::string& s, unsigned function, const std::vector<unsigned>& params) {
  AppendLE32(s, uint32_t(3 + params.size()));
  AppendLE16(s, function);
  for (unsigned p : params) AppendLE16(s, p);
}

// A 100 x 50 placeable metafile: white background, a blue-grey rectangle (10,10)-(60,40).
inline std::string Metafile() {
  std::string body;
  WmfRecord(body, 0x0103, {8});                   // SetMapMode anisotropic
  WmfRecord(body, 0x020B, {0, 0});                // SetWindowOrg
  WmfRecord(body, 0x020C, {50, 100});             // SetWindowExt
  WmfRecord(body, 0x02FA, {5, 0, 0, 0, 0});       // CreatePenIndirect, no pen
  WmfRecord(body, 0x012D, {0});                   // SelectObject
  WmfRecord(body, 0x02FC, {0, 0xFFFF, 0xFF, 0});  // CreateBrushIndirect, white
  WmfRecord(body, 0x012D, {1});
  WmfRecord(body, 0x041B, {50, 100, 0, 0});       // Rectangle
  WmfRecord(body, 0x02FC, {0, 0x8020, 0xC0, 0});  // red 0x20, green 0x80, blue 0xC0
  WmfRecord(body, 0x012D, {2});
  WmfRecord(body, 0x041B, {40, 60, 10, 10});
  WmfRecord(body, 0x0000, {});
  std::string head;
  AppendLE16(head, 1);
  AppendLE16(head, 9);
  AppendLE16(head, 0x300);
  AppendLE32(head, uint32_t((18 + body.size()) / 2));
  AppendLE16(head, 3);
  AppendLE32(head, 8);
  AppendLE16(head, 0);
  std::string placeable;
  AppendLE32(placeable, 0x9AC6CDD7);
  for (unsigned v : {0u, 0u, 0u, 100u, 50u, 72u}) AppendLE16(placeable, v);
  AppendLE32(placeable, 0);
  unsigned sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= uint8_t(placeable[size_t(2 * i)]) | (uint8_t(placeable[size_t(2 * i + 1)]) << 8);
  AppendLE16(placeable, sum);
  return placeable + head + body;
}

// A 4 x 3 Wavefront picture, rows stored bottom first, each channel one literal packet.
inline std::string Rla() {
  const int w = 4, h = 3;
  std::string hd;
  for (int k = 0; k < 2; ++k) {  // window and active window
    AppendBE16(hd, 0);
    AppendBE16(hd, w - 1);
    AppendBE16(hd, 0);
    AppendBE16(hd, h - 1);
  }
  for (unsigned v : {1u, 0u, 3u, 0u, 0u, 0xFFFEu}) AppendBE16(hd, v);  // frame .. revision
  hd += std::string(16 + 24 * 4 + 4 + 128 + 128 + 64 + 32 + 32 + 20 + 24 + 8, '\0');
  hd += "rgb" + std::string(29, '\0');
  AppendBE16(hd, 0);  // field
  hd += std::string(12 + 32, '\0');
  for (unsigned v : {8u, 0u, 0u, 0u, 0u}) AppendBE16(hd, v);  // 8 bits per channel
  hd += std::string(32 + 36 + 4, '\0');
  std::vector<std::string> rows;
  for (int stored = 0; stored < h; ++stored) {
    const int y = h - 1 - stored;
    std::string row;
    for (int c = 0; c < 3; ++c) {
      std::string d(1, char(256 - w));
      for (int x = 0; x < w; ++x) d += char(c == 0 ? 10 * x + y : c == 1 ? 100 + y : 200 + x);
      AppendBE16(row, unsigned(d.size()));
      row += d;
    }
    rows.push_back(row);
  }
  std::string f = hd;
  uint32_t offset = uint32_t(hd.size() + 4 * h);
  for (const std::string& r : rows) {
    AppendBE32(f, offset);
    offset += uint32_t(r.size());
  }
  for (const std::string& r : rows) f += r;
  return f;
}

}  // namespace qvtest
