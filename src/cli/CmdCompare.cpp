// "compare PICTURE REFERENCE": how close a picture comes to a reference picture (PSNR, SSIM
// and the cell-mean error over a grid of cells), for mosaics made by any program.
#include <cmath>
#include <cstdio>

#include "cli/CliCommon.h"
#include "codecs/PictureLoader.h"
#include "imaging/PictureFidelity.h"
#include "raster/Resample.h"

namespace qvcli {
namespace {

int RunCompare(const std::vector<std::string>& argv) {
  Args args(argv, {"cells"}, {});
  const std::string file = args.Need(0, "picture file name");
  const std::string refFile = args.Need(1, "reference picture file name");
  const qv::Bitmap24 picture = qv::LoadPicture24(file);
  qv::Bitmap24 reference = qv::LoadPicture24(refFile);
  if (reference.Width() != picture.Width() || reference.Height() != picture.Height()) {
    std::printf("%s: %d x %d, scaled to %d x %d (Mitchell)\n", refFile.c_str(), reference.Width(), reference.Height(),
                picture.Width(), picture.Height());
    reference = qv::Resample(reference, picture.Width(), picture.Height(), qv::kFilterMitchell);
  }
  std::printf("%s: %d x %d: PSNR %.2f dB, SSIM %.4f (luma, 8 x 8 windows)", file.c_str(), picture.Width(),
              picture.Height(), qv::Psnr(picture, reference), qv::Ssim(picture, reference));
  if (args.Has("cells")) {
    const std::string text = args.Value("cells");
    const size_t x = text.find('x');
    if (x == std::string::npos) throw CliError("--cells takes COLSxROWS, for example 100x100");
    const int cols = ParseInt(text.substr(0, x), "--cells columns"),
              rows = ParseInt(text.substr(x + 1), "--cells rows");
    if (cols < 1 || rows < 1 || cols > picture.Width() || rows > picture.Height())
      throw CliError("--cells must give every cell a pixel at least");
    std::printf(", cell-mean error %.2f over %d x %d cells", qv::CellMeanError(picture, reference, cols, rows), cols,
                rows);
  }
  std::printf("\n");
  return 0;
}

RegisterCommand regCompare({"compare",
                            "compare PICTURE REFERENCE [--cells COLSxROWS]   PSNR, SSIM and the cell-mean error of a\n"
                            "      picture against a reference (scaled to the picture's size when it differs)",
                            RunCompare});

}  // namespace
}  // namespace qvcli
