#pragma once
// The direct-to-disk writer for pictures larger than memory: the file is created at its
// final length first, then every cell picture is written straight into its place, the
// borders and grid lines as runs of bytes. Memory use is one cell picture, one row buffer
// and the few cells the worker threads compose ahead, whatever the output size.
//
// Two formats: the program's uncompressed 24-bit TIFF (pixels red, green, blue; row y at
// 32 + 3W y) and an uncompressed 24-bit BMP (rows bottom-up, padded to S = 3W rounded up to 4;
// row y at 54 + S (H - 1 - y)).
#include <cstdio>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "output/Renderer.h"
#include "output/WriterCommon.h"
#include "raster/Bitmap24.h"

namespace qv {

enum class DiskFormat { Tiff, Bmp };
// The format of the dialog's numbers: 1 BMP, anything else TIFF.
inline DiskFormat DiskFormatFromCode(int format) { return format == 1 ? DiskFormat::Bmp : DiskFormat::Tiff; }

// Writes the 54-byte header of a W x H BMP and extends the file to its full length
// 54 + S x H. False on any error (also when the file would reach 2 GiB).
bool WriteBmpHeader(std::FILE* file, int width, int height);

// File offset of pixel (x, y).
int64_t DiskPixelOffset(DiskFormat format, int width, int height, int x, int y);

// Copies the picture into the file with its top left at (left, top), clipped against the
// W x H picture (never wrapped into another row); TIFF pixels are turned into red, green,
// blue. Throws EStreamError when a write fails.
void WriteFileBlock(std::FILE* file, DiskFormat format, int width, int height, const Bitmap24& picture, int top,
                    int left);
// Writes cell pictures as WriteFileBlock does, gathering cells that continue one another
// along a band (same rows, each starting where the previous one ends) into one buffer of at
// most bufferBytes, written with one call per pixel row. Once a band is written, the system
// is asked to start putting its bytes on disk, so that the final sync has little left to do.
// Flush (also called by the destructor, which drops errors) writes what is gathered.
class CellRunWriter {
 public:
  CellRunWriter(std::FILE* file, DiskFormat format, int width, int height, size_t bufferBytes = size_t(4) << 20);
  ~CellRunWriter();
  CellRunWriter(const CellRunWriter&) = delete;
  CellRunWriter& operator=(const CellRunWriter&) = delete;

  void Add(const Bitmap24& picture, int top, int left);
  void Flush();

 private:
  std::FILE* file_;
  DiskFormat format_;
  int width_, height_;
  size_t bufferBytes_;
  std::vector<uint8_t> buffer_;  // rows of the gathered run, pitch_ bytes apart
  size_t pitch_ = 0;
  int top_ = 0, bottom_ = 0, left_ = 0, right_ = 0;  // the gathered run, right_ == left_ when none
};

// Writes colour into every pixel of rect (right and bottom exclusive), clipped.
void FillFileRect(std::FILE* file, DiskFormat format, int width, int height, ColorRef color, const Rect& rect);
// The vertical grid lines over the rows areaTop .. areaTop + areaHeight - 1 (clipped). With
// h = Round(G / 2) and positions p0..pn: the first line covers p0 .. p0 + w0 - 1, w0 = G
// when p0 >= h, else h + p0 (at least 1); inner lines p - G div 2 .. p - G div 2 + G - 1;
// the last line pn - wn .. pn - 1, wn = G when W >= h + pn, else h + W - pn.
void WriteVerticalGridLines(std::FILE* file, DiskFormat format, int width, int height, ColorRef color, int lineWidth,
                            int areaHeight, int areaTop, const std::vector<int>& xs);

// The whole run (the dialog's and the wizard's writer alike; the wizard passes no borders,
// no grid and DetailedBlend off). The stop request is cleared at the start. The file is
// written under a temporary name in its folder and takes its name only when the run is
// complete; after a stop (or "Cancel") the temporary file is removed, an earlier file of
// that name stays as it was and the message is "Procedure cancelled by user"; after an
// error the temporary file is removed and the error raised. Throws EOutputTooLarge before
// anything is written when the format cannot hold the picture, EStreamError for a file that
// cannot be created, a full disk or a failed write. The message is "Saved to " + file name.
WriteOutcome SaveTiff(const std::string& fileName, DiskFormat format, const RenderSource& source,
                      const RenderSettings& settings, const RenderArea& area, const RenderCallbacks& callbacks,
                      const MissingTilePolicy& policy = MissingTilePolicy());

}  // namespace qv
