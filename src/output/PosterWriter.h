#pragma once
// The in-memory poster: the whole output picture is built in memory (borders, cells, grid)
// and saved as JPEG, TIFF or BMP by the file name's extension.
#include <string>

#include "output/Renderer.h"
#include "output/WriterCommon.h"
#include "raster/Bitmap24.h"

namespace qv {

struct PosterOptions {
  // Stamp Resolution as the JPEG's JFIF density (the dialog's writer); the wizard's JPEG
  // keeps the encoder's default density.
  bool StampJpegDpi = true;
  MissingTilePolicy Policy;
};

// Renders the area into a poster picture and saves it. The extension decides the format
// (".jpg" baseline JPEG at JpegQuality, ".tif" the program's TIFF at Resolution, ".bmp" a
// 24-bit BMP). The stop request is cleared at the start. Status texts "Grid...", "Saving...",
// then "Saved to file " + name, or "Procedure cancelled by user" (nothing saved) after a
// stop. Throws EQuivara ("Nothing was written: ...") before rendering for any other
// extension, EOutputTooLarge before rendering when the format cannot hold the picture,
// EQuivara when the picture does not fit in memory, EStreamError when the file cannot be
// written (an existing file of that name is then left as it was).
//
// A JPEG poster is never whole in memory: each band of rows (a row of cells, a border) is
// finished (border colour, cells, grid lines) and encoded as soon as its last cell arrives,
// into the same file bytes the whole picture would give.
WriteOutcome SavePoster(const std::string& fileName, const RenderSource& source, const RenderSettings& settings,
                        const RenderArea& area, const RenderCallbacks& callbacks,
                        const PosterOptions& options = PosterOptions());

// Throws EOutputTooLarge when a picture of width x height cannot be written in the format
// the file name's extension selects (".jpg" sides up to 65500; ".tif" sides up to 65535 and
// a file below 2 GiB; ".bmp" a file below 2 GiB).
void CheckOutputSize(const std::string& fileName, int64_t width, int64_t height);

// A picture of the settings' full size filled with BorderColor.
Bitmap24 MakePosterPicture(const RenderSettings& settings);

// Draws the grid lines into the poster. For j = 0..Rows a line from (BorderLeft, Y) to
// (Round(BorderLeft + OutputWidth - G / 2), Y), Y = Round(OutputHeight / Rows x j - G / 2) +
// BorderTop; for i = 0..Cols a line from (X, BorderTop) to (X, Round(BorderTop + OutputHeight
// - G / 2)), X = Round(OutputWidth / Cols x i - G / 2) + BorderLeft (G = GridWidth).
// The pen is a G x G square whose top left pixel is the point drawn at, swept from the start
// point up to the pixel before the end point: a line from (x0, y) to (x1, y) covers the rows
// y .. y + G - 1 and the columns x0 .. x1 - 1 + G - 1 (with G = 1 the pixels x0 .. x1 - 1 of
// row y). Vertical lines likewise. Clipped to the picture. Since every coordinate is the
// boundary less G / 2, each line straddles its cell boundary (the outer ones half in the
// border), the same pixels the direct writer gives its horizontal and inner lines.
void DrawPosterGrid(Bitmap24& picture, const RenderSettings& settings, const RenderArea& area);
// The same for the rows top .. top + band height - 1 of the poster, held in band.
void DrawPosterGrid(Bitmap24& band, int top, const RenderSettings& settings, const RenderArea& area);

// The pen rule above for one horizontal (y0 == y1) or vertical (x0 == x1) line.
void DrawPenLine(Bitmap24& picture, int x0, int y0, int x1, int y1, int width, ColorRef color);

// Saves a finished poster by extension; false when the extension is none of .jpg, .tif, .bmp.
bool SavePosterPicture(const std::string& fileName, const Bitmap24& picture, const RenderSettings& settings,
                       bool stampJpegDpi);

}  // namespace qv
