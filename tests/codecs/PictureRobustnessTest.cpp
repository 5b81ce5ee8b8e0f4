// Damaged files of every readable type: cut short, scrambled or plain garbage. Loading gives
// a whole picture or raises EPictureError with a message; nothing else may happen.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "CodecTestUtil.h"
#include "HandBuiltPictures.h"
#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "support/TestFiles.h"

using namespace qv;

namespace {

std::string MagickBytes(const std::string& format, const std::function<void(Magick::Image&)>& adjust = {}) {
  qvtest::TempDir dir;
  qvtest::WriteWithMagick(qvtest::MakeTestPicture(21, 13), dir.File("x"), format, adjust);
  return qvtest::ReadBytes(dir.File("x"));
}

// A valid file for every extension the loader reads.
std::map<std::string, std::string> ValidSamples() {
  std::map<std::string, std::string> s;
  auto palette = [](Magick::Image& i) {
    i.quantizeColors(16);
    i.quantize();
    i.type(Magick::PaletteType);
    i.compressType(Magick::RLECompression);
  };
  s["bmp"] = s["dib"] = MagickBytes("BMP");
  s["rle"] = MagickBytes("BMP3", palette);
  s["gif"] = MagickBytes("GIF");
  s["tif"] = MagickBytes("TIFF", [](Magick::Image& i) { i.compressType(Magick::LZWCompression); });
  s["tiff"] = MagickBytes("TIFF");
  s["pcx"] = s["pcc"] = s["scr"] = MagickBytes("PCX");
  s["tga"] = s["vda"] = MagickBytes("TGA", [](Magick::Image& i) { i.compressType(Magick::RLECompression); });
  s["icb"] = s["vst"] = s["win"] = MagickBytes("TGA");
  s["sgi"] = s["rgb"] = MagickBytes("SGI", [](Magick::Image& i) { i.compressType(Magick::RLECompression); });
  s["rgba"] = s["bw"] = MagickBytes("SGI");
  s["pbm"] = MagickBytes("PBM");
  s["pgm"] = MagickBytes("PGM");
  s["ppm"] = MagickBytes("PPM");
  s["png"] = MagickBytes("PNG");
  s["pcd"] = MagickBytes("PCD");
  s["jpg"] = s["jpeg"] = EncodeJpeg(qvtest::MakeTestPicture(40, 24), 80);
  s["ico"] = qvtest::IconFile({{16, 24, qvtest::IconDib(16, 24, 1, 2, 3)}, {24, 32, qvtest::IconDib(24, 32, 4, 5, 6)}});
  qvtest::Psd psd;
  psd.width = 7;
  psd.height = 5;
  psd.rle = true;
  psd.planes.assign(3, std::string(35, 'a'));
  s["psd"] = s["pdd"] = psd.Bytes();
  s["cel"] = s["pic"] = qvtest::AnimatorCel(9, 7, 255);
  s["cut"] = qvtest::HaloCut();
  s["wmf"] = qvtest::Metafile();
  s["rla"] = s["rpf"] = qvtest::Rla();
  return s;
}

// What came of loading one damaged file.
struct Outcomes {
  int decoded = 0;
  int refused = 0;
};

// Loading either gives a picture (of one of the given sizes when the damage left the header
// whole; no sizes asks only for a picture that is not empty) or raises EPictureError with a
// message; anything else fails.
void ExpectDecodesOrPictureError(const std::string& bytes, const std::string& ext, const std::string& what,
                                 Outcomes& outcomes, const std::set<std::pair<int, int>>& sizes = {}) {
  try {
    const Bitmap24 pic = DecodePicture(bytes, ext);
    ++outcomes.decoded;
    if (!sizes.empty())
      EXPECT_EQ(sizes.count({pic.Width(), pic.Height()}), 1u)
          << ext << " " << what << ": " << pic.Width() << " x " << pic.Height();
    else
      EXPECT_FALSE(pic.Empty()) << ext << " " << what << ": loaded as an empty picture";
  } catch (const EPictureError& e) {
    ++outcomes.refused;
    EXPECT_STRNE(e.what(), "") << ext << " " << what;
  } catch (const std::exception& e) {
    ADD_FAILURE() << ext << " " << what << ": unexpected " << typeid(e).name() << ": " << e.what();
  }
}

TEST(PictureRobustnessTest, EveryTypeSurvivesCutsScramblingAndGarbage) {
  const auto samples = ValidSamples();
  std::mt19937 rng(1234);
  for (const PictureFileType& type : PictureFileTypes())
    for (const std::string& ext : type.Extensions) {
      ASSERT_EQ(samples.count(ext), 1u) << ext;
      const std::string& good = samples.at(ext);
      Bitmap24 whole;
      ASSERT_NO_THROW(whole = DecodePicture(good, ext)) << ext;

      // A cut keeps the header whole or refuses: what decodes has the whole picture's size.
      // (The icon's 24 x 24 picture comes last; with it cut off, its 16 x 16 one is taken.)
      std::set<std::pair<int, int>> sizes = {{whole.Width(), whole.Height()}};
      if (ext == "ico") sizes.insert({16, 16});
      Outcomes cuts;
      const size_t step = std::max<size_t>(1, good.size() / 60);
      for (size_t n = 0; n < good.size(); n += step)
        ExpectDecodesOrPictureError(good.substr(0, n), ext, "cut at " + std::to_string(n), cuts, sizes);
      EXPECT_GT(cuts.refused, 0) << ext;
      Outcomes damaged;
      for (int round = 0; round < 60; ++round) {
        std::string bad = good;
        const int changes = 1 + round % 8;
        for (int k = 0; k < changes; ++k) bad[rng() % bad.size()] = char(rng());
        ExpectDecodesOrPictureError(bad, ext, "scrambled, round " + std::to_string(round), damaged);
      }
      for (size_t size : {1u, 5u, 64u, 700u, 5000u}) {
        std::string garbage(size, '\0');
        for (char& c : garbage) c = char(rng());
        ExpectDecodesOrPictureError(garbage, ext, "garbage", damaged);
        // Keep the type's first bytes, so the decoder gets past its signature check.
        ExpectDecodesOrPictureError(good.substr(0, std::min<size_t>(good.size(), 8)) + garbage, ext,
                                    "garbage after signature", damaged);
      }
      // Both ways out are taken over the damaged set, so neither check above is idle.
      EXPECT_GT(cuts.decoded + damaged.decoded, 0) << ext;
      EXPECT_GT(damaged.refused, 0) << ext;
      EXPECT_THROW(DecodePicture(std::string(), ext), EPictureError) << ext;
    }
}

TEST(PictureRobustnessTest, DamagedFilesOnDiskRaisePictureError) {
  qvtest::TempDir dir;
  const auto samples = ValidSamples();
  for (const char* ext : {"jpg", "png", "ico", "psd", "cel", "cut", "tga", "gif", "wmf"}) {
    const std::string& good = samples.at(ext);
    const std::string path = dir.File(std::string("f.") + ext);
    // Twelve bytes hold no picture of these types: the error names the file.
    qvtest::WriteBytes(path, good.substr(0, std::min<size_t>(good.size(), 12)));
    try {
      const Bitmap24 pic = LoadPicture24(path);
      ADD_FAILURE() << ext << ": twelve bytes loaded as a " << pic.Width() << " x " << pic.Height() << " picture";
    } catch (const EPictureError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    qvtest::WriteBytes(path, "");
    EXPECT_THROW(LoadPicture24(path), EPictureError) << ext;
  }
}

}  // namespace
