// TQVData: the work files of a build pass (".txt", ".dat", ".tmb" in temporary files), which
// WriteLibraryFile turns into a library file.
#include <algorithm>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "engine/QVData.h"

namespace qv {
namespace {

int32_t CheckedOffset(int64_t v) {
  if (v > INT32_MAX) throw EStreamError("Library too large for 32-bit section offsets");
  return static_cast<int32_t>(v);
}

}  // namespace

void TQVData::OpenWorkFiles(const TBuildSettings& settings) {
  pass_ = settings;
  BuildFilterCode = settings.FilterCode;
  auto w = std::make_unique<WorkFiles>();
  w->Text.Append(kTextTag, kTagSize);
  w->Data.Append(kDataTag, kTagSize);
  w->Thumb.Append(kThumbTag, kTagSize);
  Work = std::move(w);
}

void TQVData::CloseWorkFiles() { Work.reset(); }

void TQVData::UnflippedSectionEnds(int64_t& textEnd, int64_t& thumbEnd) const {
  textEnd = std::min<int64_t>(kTagSize, TextSection.Size());
  thumbEnd = std::min<int64_t>(kTagSize, ThumbSection.Size());
  for (int32_t n = 1; n <= UnflippedCount; ++n) {
    int32_t t = RecordTextOffset(n);
    textEnd = std::max(textEnd, t + TileInfoSizeAt(TextSection, t));
    int32_t m = TextSection.ReadI32(int64_t(t) + kTileInfoThumbAt);
    if (m != 0) thumbEnd = std::max(thumbEnd, int64_t(m) + 4 + ThumbSection.ReadI32(m));
  }
}

void TQVData::CopyToWorkFiles(const TBuildSettings& settings) {
  // Only the unflipped tiles are carried: the flip blocks would otherwise come back as
  // ordinary tiles. They can be added again to the new file.
  int64_t textEnd, thumbEnd;
  UnflippedSectionEnds(textEnd, thumbEnd);
  pass_ = settings;
  BuildFilterCode = settings.FilterCode;
  auto w = std::make_unique<WorkFiles>();
  w->Text.Append(TextSection.Data(), textEnd);
  w->Data.Append(DataSection.Data(), std::min(DataSection.Size(), SlotOffset(UnflippedCount + 1)));
  w->Thumb.AppendFrom(ThumbSection, 0, thumbEnd);
  Work = std::move(w);
}

void TQVData::AppendWorkRecord(uint8_t status, const uint8_t* signature, TTileInfo info, const std::string* jpeg,
                               bool slotFieldIsSignature) {
  if (!Work) throw EStreamError("No build pass is running");
  const int64_t sigSize = int64_t(pass_.GridW) * pass_.GridH * 3;
  const int32_t slotAt = CheckedOffset(Work->Data.Size());
  const int32_t textAt = CheckedOffset(Work->Text.Size());
  CheckedOffset(Work->Data.Size() + kSlotHeadSize + sigSize);
  info.SlotOffset = slotAt + (slotFieldIsSignature ? kSlotHeadSize : 0);
  info.ThumbOffset = 0;
  std::string entry;
  if (jpeg) {
    info.ThumbOffset = CheckedOffset(Work->Thumb.Size());
    CheckedOffset(Work->Thumb.Size() + 4 + int64_t(jpeg->size()));
    entry.resize(4);
    PutLE32(reinterpret_cast<uint8_t*>(entry.data()), static_cast<uint32_t>(jpeg->size()));
    entry += *jpeg;
  }
  std::string slot(static_cast<size_t>(kSlotHeadSize + sigSize), '\0');
  slot[0] = static_cast<char>(status);
  PutLE32(reinterpret_cast<uint8_t*>(slot.data()) + 1, static_cast<uint32_t>(textAt));
  std::memcpy(slot.data() + kSlotHeadSize, signature, static_cast<size_t>(sigSize));
  std::string text = EncodeTileInfo(info);
  CheckedOffset(Work->Text.Size() + int64_t(text.size()));

  Work->Data.Append(slot);
  if (jpeg) Work->Thumb.Append(entry);
  Work->Text.Append(text);
}

void TQVData::AddTileRecord(const std::string& name, int32_t picWidth, int32_t picHeight, const Rect& crop,
                            const SignatureBytes& signature, const std::string& jpeg) {
  if (signature.size() != size_t(pass_.GridW) * pass_.GridH * 3)
    throw EQuivara("Signature of " + std::to_string(signature.size()) + " bytes for a " + std::to_string(pass_.GridW) +
                   " x " + std::to_string(pass_.GridH) + " grid");
  TTileInfo info;
  info.PicWidth = static_cast<uint16_t>(picWidth);
  info.PicHeight = static_cast<uint16_t>(picHeight);
  info.CropLeft = static_cast<uint16_t>(crop.Left);
  info.CropTop = static_cast<uint16_t>(crop.Top);
  info.CropRight = static_cast<uint16_t>(crop.Right);
  info.CropBottom = static_cast<uint16_t>(crop.Bottom);
  info.Name = name;
  AppendWorkRecord(0, signature.data(), std::move(info), &jpeg, true);
}

}  // namespace qv
