// TQVData: sections, record cursor, record access by number, orders.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/Rounding.h"
#include "engine/QVData.h"
#include "engine/StoredThumbnail.h"
#include "raster/Resample.h"

namespace qv {

TQVData::TQVData() = default;
TQVData::~TQVData() = default;

void TQVData::SetBaseName(const std::string& fileName) { Open(fileName, 0); }

std::string TQVData::ColorSystemName() const {
  switch (ColorSystem) {
    case kColorYCC:
      return "YCC";
    case kColorRGB:
      return "RGB";
    case kColorY:
      return "Y";
    default:
      return "???";
  }
}

void TQVData::Close() {
  TextSection.Clear();
  DataSection.Clear();
  ThumbSection.Clear();
  OrderStream.Clear();
  baseName_.clear();
  Modified = false;
}

void TQVData::ReportTileProgress(int32_t i) {
  if (i % 100 != 0) return;
  Progress = RoundHalfEven(double(i) / UnflippedCount * 100);
  if (OnProgress) OnProgress(*this);
}

void TQVData::GetInfo(TBaseInfo& info) const {
  if (!TableIsOpen()) {
    info.FileName.clear();
    return;
  }
  info = {.FileName = baseName_, .Count = Count, .PropX = PropX, .PropY = PropY, .GridW = GridW, .GridH = GridH};
}

// ---- Cursor ----

bool TQVData::Go(int32_t k) {
  if (OrderKeyWidth == 0) return GoRecord(k);
  if (OrderCount <= 0) {
    ClearCurrentRecord();
    return false;
  }
  k = std::clamp(k, 1, OrderCount);
  OrderPos = k - 1;
  int64_t entry = int64_t(OrderPos) * (4 + OrderKeyWidth);
  int32_t p = OrderStream.Holds(entry, 4) ? OrderStream.ReadI32(entry) : 0;
  if (p < 1) {
    ClearCurrentRecord();
    return false;
  }
  int32_t n = RecordNumberAt(p);
  if (n < 1 || n > Count || !DataSection.Holds(SlotOffset(n), SlotSize())) {
    ClearCurrentRecord();
    return false;
  }
  RecNo = n;
  // The record is read from the start of its slot, whether the entry holds the slot's
  // offset or its signature's.
  LoadCurrentRecord(SlotOffset(n));
  return true;
}

bool TQVData::GoRecord(int32_t n) {
  if (Count <= 0) {
    ClearCurrentRecord();
    return false;
  }
  n = std::clamp(n, 1, Count);
  if (!DataSection.Holds(SlotOffset(n), SlotSize())) {  // a closed table keeps its Count
    ClearCurrentRecord();
    return false;
  }
  RecNo = n;
  LoadCurrentRecord(SlotOffset(n));
  return true;
}

void TQVData::LoadCurrentRecord(int64_t slotPos) {
  uint8_t status = DataSection.ReadU8(slotPos);
  int32_t textOffset = DataSection.ReadI32(slotPos + 1);
  const uint8_t* sig = DataSection.Span(slotPos + kSlotHeadSize, SigSize);
  TTileInfo info = ReadTileInfo(TextSection, textOffset);

  StatusByte = status;
  TileNo = info.TileNo;
  PicWidth = info.PicWidth;
  PicHeight = info.PicHeight;
  CropLeft = info.CropLeft;
  CropTop = info.CropTop;
  CropRight = info.CropRight;
  CropBottom = info.CropBottom;
  Name = std::move(info.Name);
  Signature.assign(sig, sig + SigSize);
  if (SignatureBitmap.Width() != GridW || SignatureBitmap.Height() != GridH) SignatureBitmap.SetSize(GridW, GridH);
  DrawSignature(Signature.data(), ColorSystem, SignatureBitmap);

  ThumbJpeg.clear();
  if (ShowThumbs && info.ThumbOffset != 0) {
    LoadThumbnail(info.ThumbOffset);
  } else {
    ThumbBitmap = SignatureBitmap;  // the colour grid stands in for the thumbnail
    shownThumb_.reset();
  }
  DataSection.Position = slotPos + kSlotHeadSize + SigSize;
}

void TQVData::LoadThumbnail(int32_t offset) {
  if (ThumbCacheBytes == 0 || thumbCacheGeneration_ != ThumbSection.Generation()) {
    thumbCache_.Clear();
    thumbCacheGeneration_ = ThumbSection.Generation();
  }
  // A thumbnail read under the same generation has the same bytes, and they decode the same.
  if (const auto* seen = ThumbCacheBytes ? thumbCache_.Find(static_cast<uint32_t>(offset)) : nullptr) {
    ThumbJpeg = (*seen)->Jpeg;
    if ((*seen)->Decoded) {
      ThumbBitmap = (*seen)->Picture;
      shownThumb_ = *seen;
    }
    return;
  }
  ThumbJpeg = ThumbEntry(offset);
  auto fresh = std::make_shared<TDecodedThumb>();
  try {
    fresh->Picture = DecodeStoredThumbnail(ThumbJpeg);
    fresh->Decoded = true;
    ThumbBitmap = fresh->Picture;
    shownThumb_.reset();
  } catch (const EQuivara&) {
    // a thumbnail that does not decode leaves the previous picture
  }
  if (ThumbCacheBytes == 0) return;
  if (fresh->Decoded) shownThumb_ = fresh;
  fresh->Jpeg = ThumbJpeg;
  const size_t bytes = sizeof(TDecodedThumb) + fresh->Jpeg.size() + fresh->Picture.ByteSize();
  thumbCache_.SetBudget(ThumbCacheBytes);
  thumbCache_.Put(static_cast<uint32_t>(offset), std::move(fresh), bytes);
}

SignatureBytes TQVData::ThumbSignature(int32_t gridW, int32_t gridH, uint8_t colorSystem) const {
  // The memo belongs to the cached thumbnail ThumbBitmap was given, as long as it still
  // holds that picture.
  TDecodedThumb* shown =
      ThumbCacheBytes && shownThumb_ && shownThumb_->Picture == ThumbBitmap ? shownThumb_.get() : nullptr;
  if (shown)
    for (const TThumbSignature& s : shown->Signatures)
      if (s.GridW == gridW && s.GridH == gridH && s.ColorSystem == colorSystem) return s.Signature;
  SignatureBytes sig = SignatureOf(Resample(ThumbBitmap, gridW, gridH, kFilterMitchell), colorSystem);
  if (shown) shown->Signatures.push_back({gridW, gridH, colorSystem, sig});
  return sig;
}

void TQVData::ClearCurrentRecord() {
  StatusByte = 0;
  PicWidth = PicHeight = 1;
  CropLeft = CropTop = 0;
  CropRight = CropBottom = 1;
  Name.clear();
  ThumbJpeg.clear();
  ThumbBitmap.Fill(255, 255, 255);
  shownThumb_.reset();
}

// ---- Records by number ----

namespace {
void CheckRecord(const TQVData& t, int32_t n) {
  if (n < 1 || n > t.Count || !t.DataSection.Holds(t.SlotOffset(n), t.SlotSize()))
    throw EStreamError("No record " + std::to_string(n) + " in the table");
}
}  // namespace

int32_t TQVData::RecordNumberAt(int64_t offset) const {
  return RoundHalfEven(double(offset - kTagSize) / double(SlotSize())) + 1;
}

int32_t TQVData::TileNumberOf(int32_t n) const { return UnflippedCount > 0 ? (n - 1) % UnflippedCount + 1 : n; }

uint8_t TQVData::RecordStatus(int32_t n) const {
  CheckRecord(*this, n);
  return DataSection.ReadU8(SlotOffset(n));
}

void TQVData::SetRecordStatus(int32_t n, uint8_t status) {
  CheckRecord(*this, n);
  DataSection.WriteU8(SlotOffset(n), status);
}

int32_t TQVData::RecordTextOffset(int32_t n) const {
  CheckRecord(*this, n);
  return DataSection.ReadI32(SlotOffset(n) + 1);
}

const uint8_t* TQVData::RecordSignature(int32_t n) const {
  CheckRecord(*this, n);
  return DataSection.Span(SlotOffset(n) + kSlotHeadSize, SigSize);
}

TTileInfo TQVData::RecordInfo(int32_t n) const { return ReadTileInfo(TextSection, RecordTextOffset(n)); }

int32_t TQVData::RecordTileNo(int32_t n) const {
  return TextSection.ReadI32(int64_t(RecordTextOffset(n)) + kTileInfoTileNoAt);
}

std::string TQVData::RecordName(int32_t n) const { return RecordInfo(n).Name; }

std::string TQVData::RecordThumbJpeg(int32_t n) const {
  int32_t t = TextSection.ReadI32(int64_t(RecordTextOffset(n)) + kTileInfoThumbAt);
  return t == 0 ? std::string() : ThumbEntry(t);
}

std::string TQVData::ThumbEntry(int32_t offset) const {
  // One read takes the length and, for a thumbnail of ordinary size, its bytes as well.
  constexpr int64_t kGuess = 4096;
  uint8_t head[kGuess];
  if (!ThumbSection.Holds(offset, 4)) ThumbSection.ReadI32(offset);  // raises the range error
  const int64_t got = std::min<int64_t>(kGuess, ThumbSection.Size() - offset);
  ThumbSection.ReadAt(offset, head, got);
  const int32_t len = GetLE32s(head);
  if (len < 0) throw EStreamError("Thumbnail entry with a negative length at " + std::to_string(offset));
  if (int64_t(len) <= got - 4) return std::string(reinterpret_cast<const char*>(head) + 4, size_t(len));
  return ThumbSection.ReadString(int64_t(offset) + 4, len);
}

namespace {
int32_t CheckedOffset(int64_t offset) {
  if (offset > INT32_MAX) throw EStreamError("Section too large for 32-bit offsets");
  return static_cast<int32_t>(offset);
}
}  // namespace

int32_t TQVData::AppendTileInfo(const TTileInfo& info) {
  std::string bytes = EncodeTileInfo(info);
  int32_t at = CheckedOffset(TextSection.Size());
  CheckedOffset(TextSection.Size() + int64_t(bytes.size()));
  TextSection.Append(bytes);
  return at;
}

int32_t TQVData::AppendThumbEntry(const std::string& jpeg) {
  int32_t at = CheckedOffset(ThumbSection.Size());
  CheckedOffset(ThumbSection.Size() + 4 + int64_t(jpeg.size()));
  ThumbSection.AppendI32(static_cast<int32_t>(jpeg.size()));
  try {
    ThumbSection.Append(jpeg);
  } catch (...) {
    ThumbSection.Truncate(at);  // no entry without its bytes
    throw;
  }
  return at;
}

void TQVData::WriteSlot(int32_t n, uint8_t status, int32_t textOffset, const uint8_t* signature) {
  CheckRecord(*this, n);
  int64_t at = SlotOffset(n);
  DataSection.WriteU8(at, status);
  DataSection.WriteI32(at + 1, textOffset);
  DataSection.WriteAt(at + kSlotHeadSize, signature, SigSize);
}

// ---- Orders ----

void TQVData::ClearOrder() {
  OrderKeyWidth = 0;
  OrderCount = Count;
  OrderPos = 0;
  OrderStream.Clear();
}

void TQVData::BeginOrder(int32_t keyWidth) {
  OrderStream.Clear();
  OrderKeyWidth = keyWidth;
  OrderCount = 0;
  OrderPos = 0;
}

void TQVData::AppendOrderEntry(int32_t slotOffset, const void* key) {
  OrderStream.AppendI32(slotOffset);
  OrderStream.Append(key, OrderKeyWidth);
  ++OrderCount;
}

void TQVData::AppendOrderEntry(int32_t slotOffset, double key) {
  uint8_t b[8];
  PutF64(b, key);
  std::string padded(reinterpret_cast<char*>(b), 8);
  padded.resize(static_cast<size_t>(std::max(OrderKeyWidth, 0)), '\0');
  OrderStream.AppendI32(slotOffset);
  OrderStream.Append(padded.data(), OrderKeyWidth);
  ++OrderCount;
}

int32_t TQVData::OrderEntrySlot(int32_t i) const { return OrderStream.ReadI32(int64_t(i) * (4 + OrderKeyWidth)); }

double TQVData::OrderEntryKeyF64(int32_t i) const { return OrderStream.ReadF64(int64_t(i) * (4 + OrderKeyWidth) + 4); }

std::string TQVData::OrderEntryKey(int32_t i) const {
  return OrderStream.ReadString(int64_t(i) * (4 + OrderKeyWidth) + 4, OrderKeyWidth);
}

namespace {
// A strict weak order on float64 keys with NaN after every number.
bool KeyLess(double a, double b) {
  if (std::isnan(a)) return false;
  if (std::isnan(b)) return true;
  return a < b;
}
}  // namespace

void TQVData::SortOrder(bool descending, int32_t keep) {
  const int64_t entrySize = 4 + OrderKeyWidth;
  const int64_t n = OrderStream.Size() / entrySize;
  const uint8_t* base = OrderStream.Data();
  std::vector<int64_t> idx(static_cast<size_t>(n));
  std::iota(idx.begin(), idx.end(), 0);
  auto keyAt = [&](int64_t i) { return base + i * entrySize + 4; };
  if (OrderKeyWidth == 8) {
    std::vector<double> keys(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) keys[size_t(i)] = GetF64(keyAt(i));
    std::stable_sort(idx.begin(), idx.end(), [&](int64_t a, int64_t b) {
      return descending ? KeyLess(keys[size_t(b)], keys[size_t(a)]) : KeyLess(keys[size_t(a)], keys[size_t(b)]);
    });
  } else {
    const size_t w = static_cast<size_t>(OrderKeyWidth);
    std::stable_sort(idx.begin(), idx.end(), [&](int64_t a, int64_t b) {
      int c = std::memcmp(keyAt(a), keyAt(b), w);
      return descending ? c > 0 : c < 0;
    });
  }
  int64_t kept = (keep > 0 && keep < n) ? keep : n;
  ByteSection sorted;
  sorted.Reserve(kept * entrySize);
  for (int64_t i = 0; i < kept; ++i) sorted.Append(base + idx[size_t(i)] * entrySize, entrySize);
  OrderStream.Swap(sorted);
  OrderStream.Position = 0;
  OrderCount = static_cast<int32_t>(kept);
  OrderPos = 0;
}

}  // namespace qv
