// The readers' memory bounds (README, "File formats"): a header claiming a huge picture,
// table or grid is refused before anything is allocated for it. Each case runs in a child
// whose address space may grow by only 256 MB, where an allocation for the claim would fail.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "codecs/CodecTestUtil.h"
#include "codecs/HandBuiltPictures.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/AddressSpaceLimit.h"
#include "support/TestFiles.h"

namespace {

constexpr uint64_t kHeadroom = uint64_t(256) << 20;

// True when the reader raised E with a message holding `what`.
template <class E>
bool RefusedWith(const std::function<void()>& read, const std::string& what) {
  try {
    read();
  } catch (const E& e) {
    if (std::string(e.what()).find(what) != std::string::npos) return true;
    std::fprintf(stderr, "refused with \"%s\", expected \"%s\"\n", e.what(), what.c_str());
    return false;
  }
  std::fprintf(stderr, "read without complaint, expected \"%s\"\n", what.c_str());
  return false;
}

struct PictureClaim {
  const char* name;
  const char* ext;
  std::string bytes;
  const char* refusal;
};

std::string PsdClaim(int width, int height, int compression) {
  qvtest::Psd p;
  p.width = width;
  p.height = height;
  p.planes = {"", "", ""};  // three channels, no rows stored
  std::string s = p.Bytes();
  s[s.size() - 1] = char(compression);
  return s;
}

std::string CelClaim(unsigned width, unsigned height) {
  std::string s = qvtest::AnimatorCel(1, 1, 63);
  s[2] = char(width & 255);
  s[3] = char(width >> 8);
  s[4] = char(height & 255);
  s[5] = char(height >> 8);
  return s;
}

std::string IcoClaim(uint32_t side) {
  std::string dib = qvtest::IconDib(1, 24, 1, 2, 3);
  qv::PutLE32(reinterpret_cast<uint8_t*>(dib.data()) + 4, side);
  qv::PutLE32(reinterpret_cast<uint8_t*>(dib.data()) + 8, side * 2);
  return qvtest::IconFile({{1, 24, dib}});
}

// A real JPEG whose frame header claims another size.
std::string JpegClaim(uint16_t width, uint16_t height) {
  std::string s = qv::EncodeJpeg(qvtest::MakeTestPicture(8, 8), 75);
  const size_t sof = s.find("\xFF\xC0");
  s[sof + 5] = char(height >> 8);
  s[sof + 6] = char(height & 255);
  s[sof + 7] = char(width >> 8);
  s[sof + 8] = char(width & 255);
  return s;
}

void PutBE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

// A real PNG whose IHDR claims another size, with its checksum made right again.
std::string PngClaim(uint32_t width, uint32_t height) {
  qvtest::TempDir dir;
  qvtest::WriteWithMagick(qvtest::MakeTestPicture(4, 4), dir.File("a.png"), "PNG");
  std::string s = qvtest::ReadBytes(dir.File("a.png"));
  auto* ihdr = reinterpret_cast<uint8_t*>(s.data()) + 12;  // "IHDR", then width and height
  PutBE32(ihdr + 4, width);
  PutBE32(ihdr + 8, height);
  PutBE32(ihdr + 17, uint32_t(crc32(0, ihdr, 17)));
  return s;
}

TEST(ReaderMemoryLimits, PictureHeadersClaimingHugePicturesAreRefusedBeforeAllocating) {
  if (!qvtest::kAddressSpaceLimitWorks) GTEST_SKIP() << "no address space limit under a sanitizer";
  const std::vector<PictureClaim> claims = {
      {"Photoshop 10^6 x 10^6", ".psd", PsdClaim(1000000, 1000000, 0), "too large"},
      // Within the size limit, but the file holds none of the 805 MB of rows it claims.
      {"Photoshop 16384 x 16384 raw, no rows", ".psd", PsdClaim(16384, 16384, 0), "ends too early"},
      {"Photoshop 16384 x 16384 packed, no rows", ".psd", PsdClaim(16384, 16384, 1), "ends too early"},
      {"animator 65535 x 65535", ".cel", CelClaim(65535, 65535), "too large"},
      {"animator 16384 x 16384, no pixels", ".cel", CelClaim(16384, 16384), "ends too early"},
      {"icon 10^6 x 10^6", ".ico", IcoClaim(1000000), "too large"},
      {"icon 16384 x 16384, no pixels", ".ico", IcoClaim(16384), "ends too early"},
      {"JPEG 60000 x 60000", ".jpg", JpegClaim(60000, 60000), "too large"},
      {"PNG 10^6 x 10^6", ".png", PngClaim(1000000, 1000000), "too large"},
  };
  for (const PictureClaim& c : claims) {
    SCOPED_TRACE(c.name);
    const qvtest::TLimitedRun run = qvtest::RunWithAddressSpaceLimit(kHeadroom, [&] {
      return RefusedWith<qv::EPictureError>([&] { qv::DecodePicture(c.bytes, c.ext); }, c.refusal);
    });
    EXPECT_EQ(run, qvtest::kLimitedReturned);
  }
}

// A library of no records: the header, then the three section tags.
std::string EmptyLibrary(uint16_t gridW, uint16_t gridH, int32_t count) {
  qv::TLibraryHeader h;
  h.Count = count;
  h.UnflippedCount = count;
  h.PropX = h.PropY = 1;
  h.GridW = gridW;
  h.GridH = gridH;
  h.SigSize = uint32_t(gridW) * gridH * 3;
  h.TextOffset = qv::kLibraryHeaderSize;
  h.DataOffset = h.TextOffset + 4;
  h.ThumbOffset = h.DataOffset + 4;
  return qv::EncodeLibraryHeader(h) + ".txt.dat.tmb";
}

TEST(ReaderMemoryLimits, TableHeadersClaimingHugeTablesAreRefusedBeforeAllocating) {
  if (!qvtest::kAddressSpaceLimitWorks) GTEST_SKIP() << "no address space limit under a sanitizer";
  qvtest::TempDir dir;
  // 2^31 - 1 records in a data section that holds none.
  qvtest::WriteFile(dir.File("records.qv2"), EmptyLibrary(6, 6, INT32_MAX));
  // A signature grid of 37000 x 37000 (4.1 GB a signature) on a library of no records.
  qvtest::WriteFile(dir.File("grid.qv2"), EmptyLibrary(37000, 37000, 0));
  // A project of 65535 x 65535 cells (4.3 x 10^9) whose plan and mosaic hold 4.
  qvtest::WriteSyntheticLibrary(dir.File("lib.qv2"), 3, 2, 2);
  {
    qv::TQVData lib;
    ASSERT_TRUE(lib.Open(dir.File("lib.qv2")));
    lib.CreateProject(dir.File("cells.qvp"), qvtest::DrawTestPicture(8, 8, 1), {}, qv::Size{2, 2});
    std::string p = qvtest::FileBytes(dir.File("cells.qvp"));
    qv::PutLE16(reinterpret_cast<uint8_t*>(p.data()) + 8, 65535);
    qv::PutLE16(reinterpret_cast<uint8_t*>(p.data()) + 10, 65535);
    qvtest::WriteFile(dir.File("cells.qvp"), p);
  }
  struct Claim {
    const char* file;
    int mode;
    const char* refusal;
  };
  for (const Claim& c : {Claim{"records.qv2", 0, "data section"}, Claim{"grid.qv2", 0, "signature grid"},
                         Claim{"cells.qvp", 1, "records for 65535 x 65535 cells"},
                         Claim{"cells.qvp", 2, "records for 65535 x 65535 cells"}}) {
    SCOPED_TRACE(c.file);
    const qvtest::TLimitedRun run = qvtest::RunWithAddressSpaceLimit(kHeadroom, [&] {
      qv::TQVData t;
      return RefusedWith<qv::EFormatError>([&] { t.Open(dir.File(c.file), c.mode); }, c.refusal);
    });
    EXPECT_EQ(run, qvtest::kLimitedReturned);
  }
}

}  // namespace
