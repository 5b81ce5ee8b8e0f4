#include "source/SourcePictures.h"

#include <QStringList>
#include <algorithm>

#include "codecs/PictureLoader.h"
#include "engine/QVData.h"
#include "imaging/PictureScaling.h"
#include "mainwindow/Prompts.h"

namespace qv {

namespace {

// Cut-outs up to this many pixels go to the project as they are.
constexpr int64_t kPlainCutOutPixels = int64_t(1) << 24;

// The whole factor a framed part of a large picture is reduced by as it is cut out, so that
// making a project needs little memory beyond the picture's own: a part of more than
// kPlainCutOutPixels keeps at least eight times the pixels of the project's grid each way
// (which the resampling to the grid then reduces), so that the few pixels left over by whole
// blocks move no cell by more than a sixteenth of a grid pixel. 1 for a smaller part.
int CutOutReduction(const Rect& crop, Size gridPixels) {
  if (int64_t(crop.Width()) * crop.Height() <= kPlainCutOutPixels) return 1;
  const int64_t fx = crop.Width() / (8 * int64_t(std::max(gridPixels.Width, 1)));
  const int64_t fy = crop.Height() / (8 * int64_t(std::max(gridPixels.Height, 1)));
  return int(std::max<int64_t>(1, std::min(fx, fy)));
}

// The part of crop a reduction by factor covers: whole blocks, what is left over shared
// evenly by both sides.
Rect WholeBlocks(const Rect& crop, int factor) {
  const int w = crop.Width() / factor * factor, h = crop.Height() / factor * factor;
  const int left = crop.Left + (crop.Width() - w) / 2, top = crop.Top + (crop.Height() - h) / 2;
  return {left, top, left + w, top + h};
}

}  // namespace

QString PictureFilter() {
  QStringList all, each;
  for (const PictureFileType& t : PictureFileTypes()) {
    QStringList patterns;
    for (const std::string& e : t.Extensions) patterns << "*." + FromCore(e);
    all << patterns;
    each << FromCore(t.Description) + " (" + patterns.join(' ') + ")";
  }
  return "All pictures (" + all.join(' ') + ");;" + each.join(";;");
}

void CreateProjectFromPicture(TQVData& library, const std::string& projectFile, const Bitmap24& picture,
                              const TSourceImageRecord& source, Size cells) {
  const Rect& crop = source.SourceRect;
  const bool whole = crop == Rect{0, 0, picture.Width(), picture.Height()};
  const int factor = CutOutReduction(crop, {cells.Width * library.GridW, cells.Height * library.GridH});
  const bool asItIs = whole && factor == 1;
  const Bitmap24 part = asItIs ? Bitmap24() : ReduceRegion(picture, WholeBlocks(crop, factor), factor);
  library.CreateProject(projectFile, asItIs ? picture : part, source, cells);
}

}  // namespace qv
