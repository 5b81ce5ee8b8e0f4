// "picture FILE": loads a picture and prints its size and its 6 x 6 signature.
#include <cstdio>

#include "cli/CliCommon.h"
#include "codecs/PictureLoader.h"
#include "engine/Signature.h"
#include "raster/Resample.h"

namespace qvcli {
namespace {

int RunPicture(const std::vector<std::string>& argv) {
  Args args(argv, {"grid", "filter"}, {"rgb"});
  const std::string& file = args.Need(0, "picture file name");
  int grid = args.Int("grid", 6);
  int filter = args.Int("filter", qv::kFilterMitchell);
  if (grid < 1 || grid > 64) throw CliError("--grid must be 1..64");
  qv::Bitmap24 pic = qv::LoadPicture24(file);
  std::printf("%s: %d x %d\n", file.c_str(), pic.Width(), pic.Height());
  qv::Bitmap24 small = qv::Resample(pic, grid, grid, filter);
  int cs = args.Has("rgb") ? qv::kColorRGB : qv::kColorYCC;
  qv::SignatureBytes sig = qv::SignatureOf(small, cs);
  std::printf("signature (%s, %d x %d):\n", cs == qv::kColorRGB ? "RGB" : "YCC", grid, grid);
  for (int y = 0; y < grid; ++y) {
    for (int x = 0; x < grid; ++x) {
      const uint8_t* c = &sig[static_cast<size_t>(y * grid + x) * 3];
      std::printf("%s%3d %3d %3d", x ? " | " : "  ", c[0], c[1], c[2]);
    }
    std::printf("\n");
  }
  return 0;
}

RegisterCommand reg({"picture", "picture FILE [--grid N] [--filter F] [--rgb]   size and signature of a picture",
                     RunPicture});

}  // namespace
}  // namespace qvcli
