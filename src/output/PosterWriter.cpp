#include "output/PosterWriter.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"
#include "codecs/JpegCodec.h"
#include "imaging/TiffWriter.h"

namespace qv {

namespace {

constexpr int64_t kTwoGiB = int64_t(1) << 31;
constexpr int64_t kJpegMaxSide = 65500;  // the largest side libjpeg writes

std::string TooLarge(int64_t w, int64_t h, const std::string& why) {
  return "The output picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels is too large " + why;
}

}  // namespace

void CheckOutputSize(const std::string& fileName, int64_t w, int64_t h) {
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  if (w <= 0 || h <= 0)
    throw EOutputTooLarge("The output picture has no pixels (" + std::to_string(w) + " x " + std::to_string(h) + ")");
  if (ext == ".JPG" && (w > kJpegMaxSide || h > kJpegMaxSide))
    throw EOutputTooLarge(TooLarge(w, h, "for a JPEG file (at most 65500 pixels a side)"));
  if (ext == ".TIF") {
    if (w > kTiffMaxSide || h > kTiffMaxSide)
      throw EOutputTooLarge(TooLarge(w, h, "for a TIFF file (at most 65535 pixels a side)"));
    if (TiffFileSize(int(w), int(h)) >= kTwoGiB)
      throw EOutputTooLarge(TooLarge(w, h, "for a TIFF file (2 GiB or more)"));
  }
  if (ext == ".BMP") {
    if (w > INT32_MAX || h > INT32_MAX || kBmpHeaderSize + (w * 3 + 3) / 4 * 4 * h >= kTwoGiB)
      throw EOutputTooLarge(TooLarge(w, h, "for a BMP file (2 GiB or more)"));
  }
}

Bitmap24 MakePosterPicture(const RenderSettings& st) {
  const int64_t w = st.PictureWidth(), h = st.PictureHeight();
  Bitmap24 picture;
  try {
    picture.SetSize(int(w), int(h), BlueOfRef(st.BorderColor), GreenOfRef(st.BorderColor), RedOfRef(st.BorderColor));
  } catch (const std::bad_alloc&) {
    throw EQuivara("Not enough memory for a picture of " + std::to_string(w) + " x " + std::to_string(h) +
                   " pixels. Write it direct to disk instead.");
  }
  return picture;
}

void DrawPenLine(Bitmap24& pic, int x0, int y0, int x1, int y1, int width, ColorRef color) {
  // The pen's square hangs right of and below the point it is drawn at, so a line drawn at
  // Round(boundary - G / 2) straddles the boundary, as the direct writer's lines do.
  const int g = std::max(width, 1);
  int left, top, right, bottom;  // inclusive
  if (y0 == y1) {
    if (x1 < x0) std::swap(x0, x1);
    if (x1 == x0) return;
    left = x0;
    right = x1 - 1 + g - 1;
    top = y0;
    bottom = top + g - 1;
  } else if (x0 == x1) {
    if (y1 < y0) std::swap(y0, y1);
    top = y0;
    bottom = y1 - 1 + g - 1;
    left = x0;
    right = left + g - 1;
  } else {
    return;  // the grid draws only straight lines
  }
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, pic.Width() - 1);
  bottom = std::min(bottom, pic.Height() - 1);
  const uint8_t b = BlueOfRef(color), gr = GreenOfRef(color), r = RedOfRef(color);
  for (int y = top; y <= bottom; ++y) {
    uint8_t* p = pic.Pixel(0, y);
    for (int x = left; x <= right; ++x) {
      p[x * 3] = b;
      p[x * 3 + 1] = gr;
      p[x * 3 + 2] = r;
    }
  }
}

void DrawPosterGrid(Bitmap24& pic, const RenderSettings& st, const RenderArea& area) {
  DrawPosterGrid(pic, 0, st, area);
}

void DrawPosterGrid(Bitmap24& band, int top, const RenderSettings& st, const RenderArea& area) {
  const int g = st.GridWidth;
  if (g <= 0 || area.Cols <= 0 || area.Rows <= 0) return;
  const long double half = g / 2.0L;
  const int right = RoundHalfEven(static_cast<long double>(st.BorderLeft) + st.OutputWidth - half);
  const int bottom = RoundHalfEven(static_cast<long double>(st.BorderTop) + st.OutputHeight - half);
  // Every line is laid out in poster rows, then moved into the band, which clips it.
  for (int j = 0; j <= area.Rows; ++j) {
    const int y = RoundHalfEven(static_cast<long double>(st.OutputHeight) / area.Rows * j - half) + st.BorderTop;
    if (y - g > top + band.Height() || y + g < top) continue;
    DrawPenLine(band, st.BorderLeft, y - top, right, y - top, g, st.GridColor);
  }
  for (int i = 0; i <= area.Cols; ++i) {
    const int x = RoundHalfEven(static_cast<long double>(st.OutputWidth) / area.Cols * i - half) + st.BorderLeft;
    DrawPenLine(band, x, st.BorderTop - top, x, bottom - top, g, st.GridColor);
  }
}

bool SavePosterPicture(const std::string& fileName, const Bitmap24& picture, const RenderSettings& st,
                       bool stampJpegDpi) {
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  if (ext == ".JPG") {
    SaveJpegFile(fileName, picture, std::clamp(st.JpegQuality, 1, 100));
    if (stampJpegDpi) SetJpegDpi(fileName, st.Resolution, st.Resolution);
    return true;
  }
  if (ext == ".TIF") {
    SaveBitmapAsTiff(fileName, picture, st.Resolution, 2);
    return true;
  }
  if (ext == ".BMP") {
    SaveBmpFile(fileName, picture);
    return true;
  }
  return false;
}

namespace {

// The outcome of a poster run, also shown as the status text.
WriteOutcome Finished(const RenderCallbacks& cb, bool stopped, const std::string& message) {
  WriteOutcome out;
  out.Stopped = stopped;
  out.Message = message;
  ReportStatus(cb, out.Message);
  return out;
}

// The bands of a JPEG poster, top to bottom: the top border, each row of cells, the bottom
// border (bands without rows left out), as their first rows and, last, the picture height.
std::vector<int> BandEdges(const RenderSettings& st, const RenderArea& area) {
  std::vector<int> edges{0};
  for (int r = 0; r <= area.Rows; ++r) edges.push_back(st.BorderTop + SplitPoint(st.OutputHeight, area.Rows, r));
  edges.push_back(st.PictureHeight());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  return edges;
}

Bitmap24 MakeBand(int width, int height, ColorRef color) {
  Bitmap24 band;
  try {
    band.SetSize(width, height, BlueOfRef(color), GreenOfRef(color), RedOfRef(color));
  } catch (const std::bad_alloc&) {
    throw EQuivara("Not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels. Write it direct to disk instead.");
  }
  return band;
}

WriteOutcome SaveJpegPoster(const std::string& fileName, const RenderSource& source, const RenderSettings& st,
                            const RenderArea& area, const RenderCallbacks& cb, const PosterOptions& options) {
  const int W = st.PictureWidth();
  const std::vector<int> edges = BandEdges(st, area);
  int tallest = 0;
  for (size_t b = 0; b + 1 < edges.size(); ++b) tallest = std::max(tallest, edges[b + 1] - edges[b]);
  Bitmap24 band = MakeBand(W, tallest, st.BorderColor);
  AtomicFileWriter file(fileName);
  JpegStreamEncoder encoder(W, st.PictureHeight(), std::clamp(st.JpegQuality, 1, 100), options.StampJpegDpi,
                            st.Resolution);
  const uint8_t b = BlueOfRef(st.BorderColor), g = GreenOfRef(st.BorderColor), r = RedOfRef(st.BorderColor);
  const int mosaicTop = st.BorderTop, mosaicBottom = st.BorderTop + st.OutputHeight;
  const int mosaicLeft = st.BorderLeft, mosaicRight = st.BorderLeft + st.OutputWidth;
  auto fill = [&](int x0, int x1) {  // the band's columns x0 .. x1 - 1 in the border colour
    for (int y = 0; y < band.Height(); ++y)
      for (uint8_t* p = band.Pixel(x0, y); p < band.Pixel(x1, y); p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
  };

  size_t current = 0;  // the band being filled: poster rows edges[current] .. edges[current + 1] - 1
  auto beginBand = [&] {
    const int top = edges[current], bottom = edges[current + 1];
    band.Reshape(W, bottom - top);                     // the same memory, cut to this band's rows
    if (top >= mosaicTop && bottom <= mosaicBottom) {  // a row of cells: they cover the mosaic's columns
      fill(0, mosaicLeft);
      fill(mosaicRight, W);
    } else {
      band.Fill(b, g, r);
    }
  };
  std::vector<const uint8_t*> rows;
  auto finishBand = [&] {
    DrawPosterGrid(band, edges[current], st, area);
    rows.resize(size_t(band.Height()));
    for (int y = 0; y < band.Height(); ++y) rows[size_t(y)] = band.Row(y);
    encoder.WriteRows(rows.data(), band.Height());
    file.Write(encoder.Output());
    encoder.Output().clear();
    if (++current + 1 < edges.size()) beginBand();
  };
  beginBand();
  RenderResult run = RenderCells(
      source, st, area, cb,
      [&](const RenderedCell& cell) {
        while (current + 1 < edges.size() && cell.Y >= edges[current + 1]) finishBand();
        if (current + 1 == edges.size()) return;  // a cell without rows below the last band
        // A cell answered with "Cancel" has no picture; the run ends after it.
        if (cell.Drawn) band.Draw(cell.Picture, cell.X, cell.Y - edges[current]);
      },
      options.Policy);
  if (run.Stopped) return Finished(cb, true, kCancelledText);
  if (st.GridWidth > 0) ReportStatus(cb, "Grid...");
  ReportStatus(cb, "Saving...");
  while (current + 1 < edges.size()) finishBand();
  encoder.Finish();
  file.Write(encoder.Output());
  file.Commit();
  return Finished(cb, false, "Saved to file " + fileName);
}

}  // namespace

WriteOutcome SavePoster(const std::string& fileName, const RenderSource& source, const RenderSettings& st,
                        const RenderArea& area, const RenderCallbacks& cb, const PosterOptions& options) {
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  if (ext != ".JPG" && ext != ".TIF" && ext != ".BMP")
    throw EQuivara("Nothing was written: the picture file name must end in .jpg, .tif or .bmp, not \"" +
                   ExtractFileName(fileName) + "\"");
  CheckOutputSize(fileName, st.PictureWidth(), st.PictureHeight());
  ClearStopRequest(cb);
  if (ext == ".JPG") return SaveJpegPoster(fileName, source, st, area, cb, options);
  Bitmap24 poster = MakePosterPicture(st);
  RenderResult run = RenderCells(
      source, st, area, cb,
      [&poster](const RenderedCell& cell) {
        if (cell.Drawn) poster.Draw(cell.Picture, cell.X, cell.Y);
      },
      options.Policy);
  if (run.Stopped) return Finished(cb, true, kCancelledText);
  if (st.GridWidth > 0) {
    ReportStatus(cb, "Grid...");
    DrawPosterGrid(poster, st, area);
  }
  ReportStatus(cb, "Saving...");
  SavePosterPicture(fileName, poster, st, options.StampJpegDpi);
  return Finished(cb, false, "Saved to file " + fileName);
}

}  // namespace qv
