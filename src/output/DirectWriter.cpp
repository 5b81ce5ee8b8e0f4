#include "output/DirectWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"
#include "imaging/TiffWriter.h"
#include "imaging/TileKernels.h"
#include "output/PosterWriter.h"

namespace qv {

namespace {

void WriteAt(std::FILE* file, int64_t offset, const void* data, size_t size) {
  if (!WriteFullyAt(WritableFd(file), offset, data, size))
    throw EStreamError(std::string("Cannot write the output file: ") + std::strerror(errno));
}

// Bytes of one pixel of the colour as the format stores it.
void ColorBytes(DiskFormat format, ColorRef c, uint8_t out[3]) {
  if (format == DiskFormat::Tiff) {
    out[0] = RedOfRef(c);
    out[1] = GreenOfRef(c);
    out[2] = BlueOfRef(c);
  } else {
    out[0] = BlueOfRef(c);
    out[1] = GreenOfRef(c);
    out[2] = RedOfRef(c);
  }
}

// A run of n pixels of one colour.
std::vector<uint8_t> ColorRun(DiskFormat format, ColorRef c, int n) {
  uint8_t px[3];
  ColorBytes(format, c, px);
  std::vector<uint8_t> run(size_t(std::max(n, 0)) * 3);
  for (size_t i = 0; i < run.size(); i += 3) std::memcpy(&run[i], px, 3);
  return run;
}

}  // namespace

bool WriteBmpHeader(std::FILE* file, int width, int height) {
  try {
    if (!file || width < 1 || height < 1) return false;
    if (BmpFileSize(width, height) >= (int64_t(1) << 31)) return false;
    const auto header = MakeBmpHeader(width, height);
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(header.data(), 1, header.size(), file) != header.size())
      return false;
    if (std::fflush(file) != 0) return false;
    return ::ftruncate(WritableFd(file), static_cast<off_t>(BmpFileSize(width, height))) == 0;
  } catch (const std::exception&) {
    return false;
  }
}

int64_t DiskPixelOffset(DiskFormat format, int width, int height, int x, int y) {
  if (format == DiskFormat::Tiff) return 32 + 3 * (int64_t(y) * width + x);
  return kBmpHeaderSize + BmpRowSize(width) * (int64_t(height) - 1 - y) + 3 * int64_t(x);
}

void WriteFileBlock(std::FILE* file, DiskFormat format, int width, int height, const Bitmap24& pic, int top, int left) {
  const int x0 = std::max(left, 0), x1 = std::min(left + pic.Width(), width);
  const int y0 = std::max(top, 0), y1 = std::min(top + pic.Height(), height);
  if (x1 <= x0 || y1 <= y0) return;
  const size_t bytes = size_t(x1 - x0) * 3;
  std::vector<uint8_t> row(format == DiskFormat::Tiff ? bytes : 0);
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = pic.Pixel(x0 - left, y - top);
    const int64_t at = DiskPixelOffset(format, width, height, x0, y);
    if (format == DiskFormat::Bmp) {
      WriteAt(file, at, src, bytes);
      continue;
    }
    for (size_t i = 0; i < bytes; i += 3) {
      row[i] = src[i + 2];
      row[i + 1] = src[i + 1];
      row[i + 2] = src[i];
    }
    WriteAt(file, at, row.data(), bytes);
  }
}

CellRunWriter::CellRunWriter(std::FILE* file, DiskFormat format, int width, int height, size_t bufferBytes)
    : file_(file), format_(format), width_(width), height_(height), bufferBytes_(bufferBytes) {}

CellRunWriter::~CellRunWriter() {
  try {
    Flush();
  } catch (const std::exception&) {
  }
}

void CellRunWriter::Add(const Bitmap24& pic, int top, int left) {
  const int x0 = std::max(left, 0), x1 = std::min(left + pic.Width(), width_);
  const int y0 = std::max(top, 0), y1 = std::min(top + pic.Height(), height_);
  if (x1 <= x0 || y1 <= y0) return;
  const size_t bytes = size_t(x1 - x0) * 3;
  const bool continues = right_ > left_ && y0 == top_ && y1 == bottom_ && x0 == right_;
  if (!continues || size_t(x1 - left_) * 3 > pitch_) {
    Flush();
    // The widest run that fits the buffer: the whole band when it can.
    pitch_ = std::min(size_t(width_ - x0) * 3, bufferBytes_ / size_t(y1 - y0) / 3 * 3);
    if (bytes > pitch_) {  // a cell larger than the buffer goes out on its own
      pitch_ = 0;
      WriteFileBlock(file_, format_, width_, height_, pic, top, left);
      return;
    }
    buffer_.resize(pitch_ * size_t(y1 - y0));
    top_ = y0;
    bottom_ = y1;
    left_ = right_ = x0;
  }
  const TileKernels& k = TileKernelChoice().Active();
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = pic.Pixel(x0 - left, y - top);
    uint8_t* dst = buffer_.data() + size_t(y - y0) * pitch_ + size_t(x0 - left_) * 3;
    if (format_ == DiskFormat::Tiff)
      k.swapRedBlue(src, x1 - x0, dst);
    else
      std::memcpy(dst, src, bytes);
  }
  right_ = x1;
  if (right_ == width_) Flush();  // nothing can continue this run
}

void CellRunWriter::Flush() {
  if (right_ <= left_) return;
  const size_t bytes = size_t(right_ - left_) * 3;
  right_ = left_;  // gathered no more, also when a write fails
  int64_t first = INT64_MAX, last = 0;
  for (int y = top_; y < bottom_; ++y) {
    const int64_t at = DiskPixelOffset(format_, width_, height_, left_, y);
    WriteAt(file_, at, buffer_.data() + size_t(y - top_) * pitch_, bytes);
    first = std::min(first, at);
    last = std::max(last, at + int64_t(bytes));
  }
#ifdef SYNC_FILE_RANGE_WRITE
  // A hint: the write-back of these rows starts now instead of at the final sync.
  ::sync_file_range(WritableFd(file_), first, last - first, SYNC_FILE_RANGE_WRITE);
#endif
}

void FillFileRect(std::FILE* file, DiskFormat format, int width, int height, ColorRef color, const Rect& rect) {
  const int x0 = std::max(rect.Left, 0), x1 = std::min(rect.Right, width);
  const int y0 = std::max(rect.Top, 0), y1 = std::min(rect.Bottom, height);
  if (x1 <= x0 || y1 <= y0) return;
  const std::vector<uint8_t> run = ColorRun(format, color, x1 - x0);
  for (int y = y0; y < y1; ++y) WriteAt(file, DiskPixelOffset(format, width, height, x0, y), run.data(), run.size());
}

void WriteVerticalGridLines(std::FILE* file, DiskFormat format, int width, int height, ColorRef color, int g,
                            int areaHeight, int areaTop, const std::vector<int>& xs) {
  if (g <= 0 || xs.empty()) return;
  const int h = RoundHalfEven(g / 2.0);
  struct Span {
    int left, count;
  };
  std::vector<Span> spans;
  const int n = int(xs.size()) - 1;
  for (int i = 0; i <= n; ++i) {
    const int p = xs[size_t(i)];
    Span s{};
    if (i == 0) {
      s = {p, p >= h ? g : std::max(h + p, 1)};
    } else if (i == n) {
      const int w = width >= h + p ? g : h + width - p;
      s = {p - w, w};
    } else {
      s = {p - g / 2, g};
    }
    // clipped to the picture's columns
    const int a = std::max(s.left, 0), b = std::min(s.left + s.count, width);
    if (b > a) spans.push_back({a, b - a});
  }
  if (spans.empty()) return;
  const std::vector<uint8_t> run = ColorRun(format, color, g + std::max(h, 1));
  const int y0 = std::max(areaTop, 0), y1 = std::min(areaTop + areaHeight, height);
  for (int y = y0; y < y1; ++y)
    for (const Span& s : spans)
      WriteAt(file, DiskPixelOffset(format, width, height, s.left, y), run.data(), size_t(s.count) * 3);
}

WriteOutcome SaveTiff(const std::string& fileName, DiskFormat format, const RenderSource& source,
                      const RenderSettings& st, const RenderArea& area, const RenderCallbacks& cb,
                      const MissingTilePolicy& policy) {
  const int64_t W64 = st.PictureWidth(), H64 = st.PictureHeight();
  CheckOutputSize(ChangeFileExt(fileName, format == DiskFormat::Tiff ? ".tif" : ".bmp"), W64, H64);
  const int W = int(W64), H = int(H64);
  ClearStopRequest(cb);

  AtomicFileWriter out(fileName);
  std::FILE* f = out.Handle();
  const bool headerOk =
      format == DiskFormat::Tiff ? WriteTiffHeader(f, W, H, 2, st.Resolution) : WriteBmpHeader(f, W, H);
  if (!headerOk || std::fflush(f) != 0) throw EStreamError("Cannot write file " + fileName);
  // Reserve the whole length now, so a disk too small fails here rather than after the render.
  const int64_t length = format == DiskFormat::Tiff ? TiffFileSize(W, H) : BmpFileSize(W, H);
  const int err = ::posix_fallocate(WritableFd(f), 0, static_cast<off_t>(length));
  if (err == ENOSPC) throw EStreamError("Not enough disk space for " + fileName);

  bool halted = false;  // the run ended early ("Cancel" stops it also without a stop flag)
  auto stopped = [&] { return halted || (cb.StopRequested && cb.StopRequested->load()); };
  auto band = [&](int width, const Rect& r) {
    if (width > 0 && !stopped()) {
      FillFileRect(f, format, W, H, st.BorderColor, r);
      if (cb.ProcessMessages) cb.ProcessMessages();
    }
  };
  band(st.BorderTop, Rect{0, 0, W, st.BorderTop});
  band(st.BorderBottom, Rect{0, st.BorderTop + st.OutputHeight, W, H});
  band(st.BorderLeft, Rect{0, 0, st.BorderLeft, H});
  band(st.BorderRight, Rect{st.BorderLeft + st.OutputWidth, 0, W, H});

  if (!stopped()) {
    CellRunWriter cells(f, format, W, H);
    halted = RenderCells(
                 source, st, area, cb,
                 [&](const RenderedCell& cell) {
                   if (cell.Drawn) cells.Add(cell.Picture, cell.Y, cell.X);
                 },
                 policy)
                 .Stopped;
    cells.Flush();
  }
  if (stopped()) {  // a part-written picture never takes the file's name: out removes it
    WriteOutcome result;
    result.Stopped = true;
    result.Message = kCancelledText;
    ReportStatus(cb, result.Message);
    return result;
  }

  if (st.GridWidth > 0 && area.Cols > 0 && area.Rows > 0) {
    ReportStatus(cb, "Grid...");
    const int g = st.GridWidth;
    std::vector<int> xs;
    for (int i = 0; i <= area.Cols; ++i) xs.push_back(st.BorderLeft + SplitPoint(st.OutputWidth, area.Cols, i));
    WriteVerticalGridLines(f, format, W, H, st.GridColor, g, st.OutputHeight, st.BorderTop, xs);
    for (int j = 0; j <= area.Rows; ++j) {
      const int y = RoundHalfEven(static_cast<long double>(st.OutputHeight) / area.Rows * j - g / 2.0L) + st.BorderTop;
      FillFileRect(f, format, W, H, st.GridColor, Rect{st.BorderLeft, y, st.BorderLeft + st.OutputWidth, y + g});
    }
  }

  out.Commit();
  WriteOutcome result;
  result.Message = "Saved to " + fileName;
  ReportStatus(cb, result.Message);
  return result;
}

}  // namespace qv
