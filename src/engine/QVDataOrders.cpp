// TQVData: the order builders. Each fills the order stream with one entry per record (the
// slot offset and a key), sorts it stably (equal keys keep storage order) and makes its
// first entry current.
#include <chrono>
#include <cstring>
#include <random>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "engine/QVData.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {
namespace {

constexpr int32_t kNameKeyWidth = 120;

}  // namespace

void TQVData::OrderByName(bool nameOnly) {
  BeginOrder(kNameKeyWidth);
  for (int32_t n = 1; n <= Count; ++n) {
    std::string key = RecordName(n).substr(0, kNameKeyWidth);
    if (nameOnly) key = ExtractFileName(key);
    key.resize(kNameKeyWidth, ' ');
    AppendOrderEntry(static_cast<int32_t>(SlotOffset(n)), key.data());
  }
  SortOrder(false);
  Go(1);
}

void TQVData::OrderByDetail() {
  BeginOrder(8);
  for (int32_t n = 1; n <= Count; ++n)
    AppendOrderEntry(static_cast<int32_t>(SlotOffset(n)),
                     TextSection.ReadF64(int64_t(RecordTextOffset(n)) + kTileInfoDetailAt));
  SortOrder(true);
  Go(1);
}

void TQVData::OrderRandom() {
  OrderRandom(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
              static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

void TQVData::OrderRandom(uint64_t seed) {
  BeginOrder(8);
  if (Count > 0) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int64_t> key(0, int64_t(Count) * 10 - 1);
    for (int32_t n = 1; n <= Count; ++n) AppendOrderEntry(static_cast<int32_t>(SlotOffset(n)), double(key(rng)));
  }
  SortOrder(true);
  Go(1);
}

void TQVData::OrderBySignature(const uint8_t* signature) {
  BeginOrder(8);
  for (int32_t n = 1; n <= Count; ++n)
    AppendOrderEntry(static_cast<int32_t>(SlotOffset(n)), SignatureDistance(RecordSignature(n), signature, SigSize));
  SortOrder(false);
  Go(1);
}

void TQVData::OrderByPicture(const Bitmap24& bitmap) {
  const SignatureBytes sig =
      SignatureOf(Resample(bitmap, GridW, GridH, ResampleFilterFromCode(FilterCode)), ColorSystem);
  if (sig.size() != size_t(SigSize))
    throw EQuivara("A table in colour system " + std::to_string(ColorSystem) + " has no picture signatures");
  OrderBySignature(sig.data());
}

}  // namespace qv
