// TQVData: the library file (.qv2): reader, writers and the two header probes.
//
// The reader does not trust the file. Before anything of the instance changes it checks the
// header, the section bounds and tags, and every offset a record uses; a file that does not
// hold together raises EFormatError and leaves the instance as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "engine/QVData.h"
#include "engine/ReadOnlyFile.h"
#include "imaging/RasterUtils.h"

namespace qv {
namespace {

const char kWrongFormat[] = "Wrong file format. Not quivara base";

// The header of a library file, or false when the file is missing, too short or not a
// library (the probes treat all three alike).
bool ProbeHeader(const std::string& fileName, TLibraryHeader& h) {
  if (!FileExists(fileName)) return false;
  ReadOnlyFile f(fileName);
  uint8_t b[kLibraryHeaderSize];
  if (f.Fd() < 0 || !ReadExact(f.Fd(), 0, b, kLibraryHeaderSize) || !HasLibraryMagic(b)) return false;
  h = DecodeLibraryHeader(b);
  return true;
}

[[noreturn]] void Damaged(const std::string& fileName, const std::string& what) { RaiseDamagedFile(fileName, what); }

bool HasTag(const ByteSection& s, const char* tag) {
  return s.Size() >= kTagSize && std::memcmp(s.Data(), tag, kTagSize) == 0;
}

// Checks the header values on their own; the flip kinds must be a run of distinct kinds
// 1..3 from block 1 on, and Count must be UnflippedCount times the number of blocks.
void CheckHeader(const std::string& fileName, TLibraryHeader& h, int64_t partLen) {
  if (h.GridW < 1 || h.GridH < 1 || h.GridW > kMaxSignatureGridSide || h.GridH > kMaxSignatureGridSide)
    Damaged(fileName, "signature grid " + std::to_string(h.GridW) + " x " + std::to_string(h.GridH));
  if (uint64_t(h.SigSize) != uint64_t(h.GridW) * h.GridH * 3)
    Damaged(fileName, "signature size " + std::to_string(h.SigSize) + " does not fit the grid");
  if (h.PropX < 1 || h.PropY < 1)
    Damaged(fileName, "tile proportion " + std::to_string(h.PropX) + " : " + std::to_string(h.PropY));
  if (h.Count < 0) Damaged(fileName, "negative record count");
  if (h.UnflippedCount < 1) h.UnflippedCount = h.Count;
  int blocks = 0;
  for (int b = 0; b < 3; ++b) {
    uint8_t k = h.FlipKinds[b];
    if (k > 3) Damaged(fileName, "unknown flip kind " + std::to_string(k));
    if (k == 0) continue;
    if (b != blocks) Damaged(fileName, "flip blocks out of order");
    for (int o = 0; o < b; ++o)
      if (h.FlipKinds[o] == k) Damaged(fileName, "flip kind " + std::to_string(k) + " twice");
    ++blocks;
  }
  if (int64_t(h.UnflippedCount) * (1 + blocks) != h.Count)
    Damaged(fileName, "record count " + std::to_string(h.Count) + " does not match " +
                          std::to_string(h.UnflippedCount) + " tiles in " + std::to_string(1 + blocks) + " blocks");
  if (!(kLibraryHeaderSize <= h.TextOffset && h.TextOffset <= h.DataOffset && h.DataOffset <= h.ThumbOffset &&
        h.ThumbOffset <= partLen))
    Damaged(fileName, "section offsets out of order or outside the file");
  // The data section holds exactly Count slots (tested by division: Count x slot size may
  // not fit in 64 bits for a hostile header).
  const int64_t dataSize = int64_t(h.ThumbOffset) - h.DataOffset;
  const int64_t slotSize = int64_t(h.SigSize) + kSlotHeadSize;
  if (dataSize < kTagSize || (dataSize - kTagSize) % slotSize != 0 || (dataSize - kTagSize) / slotSize != h.Count)
    Damaged(fileName,
            "data section of " + std::to_string(dataSize) + " bytes for " + std::to_string(h.Count) + " records");
}

// Checks every offset the records use: each slot's TileInfo (with its name) inside the text
// section, its second field inside the data section, its thumbnail entry (with its length)
// inside the thumbnail section. The first record that fails is the one named.
void CheckRecords(const std::string& fileName, const TLibraryHeader& h, const ByteSection& text,
                  const ByteSection& data, const FileSection& thumb) {
  const int64_t slotSize = int64_t(h.SigSize) + kSlotHeadSize;
  std::vector<int64_t> thumbAt;  // offsets of the thumbnail entries of the records checked so far
  std::vector<int64_t> thumbRecord;
  std::string badWhat;
  auto where = [](int64_t n) { return "record " + std::to_string(n) + ": "; };
  for (int64_t n = 1; n <= h.Count; ++n) {
    int64_t slot = kTagSize + (n - 1) * slotSize;
    int32_t t = data.ReadI32(slot + 1);
    if (t < kTagSize || !text.Holds(t, kTileInfoFixedSize)) {
      badWhat = where(n) + "text offset outside the text section";
      break;
    }
    const uint8_t* info = text.Data() + t;
    if (!text.Holds(t, kTileInfoFixedSize + GetLE16(info + kTileInfoNameLengthAt))) {
      badWhat = where(n) + "name runs past the text section";
      break;
    }
    int32_t slotField = GetLE32s(info + kTileInfoSlotAt);
    if (slotField < kTagSize || slotField >= data.Size()) {
      badWhat = where(n) + "slot offset outside the data section";
      break;
    }
    int32_t m = GetLE32s(info + kTileInfoThumbAt);
    if (m == 0) continue;
    if (m < kTagSize || !thumb.Holds(m, 4)) {
      badWhat = where(n) + "thumbnail offset outside the thumbnail section";
      break;
    }
    thumbAt.push_back(m);
    thumbRecord.push_back(n);
  }
  // The lengths are read together, in the order they lie in the section.
  const std::vector<int32_t> lengths = thumb.ReadI32s(thumbAt);
  for (size_t i = 0; i < lengths.size(); ++i)
    if (lengths[i] < 0 || !thumb.Holds(thumbAt[i] + 4, lengths[i]))
      Damaged(fileName, where(thumbRecord[i]) + "thumbnail runs past the thumbnail section");
  if (!badWhat.empty()) Damaged(fileName, badWhat);
}

int32_t ToOffset(int64_t v) {
  if (v > INT32_MAX) throw EStreamError("Library too large for 32-bit section offsets");
  return static_cast<int32_t>(v);
}

// The header of a library whose sections have the given sizes, laid out after the header.
void SetSectionOffsets(TLibraryHeader& h, int64_t textSize, int64_t dataSize) {
  h.TextOffset = kLibraryHeaderSize;
  h.DataOffset = ToOffset(kLibraryHeaderSize + textSize);
  h.ThumbOffset = ToOffset(kLibraryHeaderSize + textSize + dataSize);
}

// Writes to a file through a temporary file renamed over it; false when anything fails.
bool WriteFileAtomically(const std::string& fileName, const std::function<void(const ByteSink&)>& body) {
  try {
    AtomicFileWriter w(fileName);
    body([&](const void* p, size_t n) { w.Write(p, n); });
    w.Commit();
    return true;
  } catch (const EQuivara&) {
    return false;
  }
}

}  // namespace

// ---- Reading ----

bool TQVData::Open(const std::string& fileName, int mode) {
  if (mode == 1 || mode == 2) return OpenProjectPart(fileName, mode);
  if (mode != 0) throw EQuivara("Open mode " + std::to_string(mode) + " is not a table mode");
  if (!FileExists(fileName)) return false;
  // What saves killed on the way left in the library's folder.
  RemoveStaleTempFiles(ExtractFileDir(fileName));
  ReadOnlyFile f(fileName);
  if (f.Fd() < 0) throw EStreamError("Cannot open file " + fileName + ": " + std::strerror(errno));
  LoadedTable table = ReadLibraryPart(f.Fd(), fileName, 0, f.Size());
  AdoptTable(std::move(table), fileName);
  return true;
}

TQVData::LoadedTable TQVData::ReadLibraryPart(int fd, const std::string& fileName, int64_t partStart,
                                              int64_t partEnd) const {
  int64_t fileSize = -1;
  struct stat st;
  if (::fstat(fd, &st) == 0) fileSize = static_cast<int64_t>(st.st_size);
  if (partStart < 0 || partEnd < partStart || partEnd > fileSize) Damaged(fileName, "library part outside the file");
  const int64_t partLen = partEnd - partStart;
  uint8_t head[kLibraryHeaderSize];
  if (partLen < 8 || !ReadExact(fd, partStart, head, 8) || !HasLibraryMagic(head)) throw EFormatError(kWrongFormat);
  if (partLen < kLibraryHeaderSize || !ReadExact(fd, partStart, head, kLibraryHeaderSize))
    Damaged(fileName, "the header is cut short");

  LoadedTable t;
  t.Header = DecodeLibraryHeader(head);
  TLibraryHeader& h = t.Header;
  CheckHeader(fileName, h, partLen);

  const int64_t textSize = int64_t(h.DataOffset) - h.TextOffset;
  const int64_t dataSize = int64_t(h.ThumbOffset) - h.DataOffset;
  const int64_t thumbSize = partLen - h.ThumbOffset;
  if (!ReadExact(fd, partStart + h.TextOffset, t.Text.Allocate(textSize), textSize))
    Damaged(fileName, "the text section is cut short");
  if (!ReadExact(fd, partStart + h.DataOffset, t.Data.Allocate(dataSize), dataSize))
    Damaged(fileName, "the data section is cut short");
  try {
    t.Thumb.AppendFromFile(fd, partStart + h.ThumbOffset, thumbSize);
  } catch (const EStreamError&) {
    Damaged(fileName, "the thumbnail section is cut short");
  }

  if (!HasTag(t.Text, kTextTag)) Damaged(fileName, "no \".txt\" tag");
  if (!HasTag(t.Data, kDataTag)) Damaged(fileName, "no \".dat\" tag");
  uint8_t thumbTag[kTagSize];
  if (thumbSize < kTagSize || (t.Thumb.ReadAt(0, thumbTag, kTagSize), std::memcmp(thumbTag, kThumbTag, kTagSize) != 0))
    Damaged(fileName, "no \".tmb\" tag");
  CheckRecords(fileName, h, t.Text, t.Data, t.Thumb);
  return t;
}

void TQVData::AdoptTable(LoadedTable&& table, const std::string& baseName) {
  const TLibraryHeader& h = table.Header;
  TextSection.Swap(table.Text);
  DataSection.Swap(table.Data);
  ThumbSection.Swap(table.Thumb);
  TextSection.Position = DataSection.Position = 0;
  OrderStream.Clear();

  Count = h.Count;
  FormatByte = h.FormatByte;
  ColorSystem = h.ColorSystem;
  FilterCode = h.FilterCode;
  UnflippedCount = h.UnflippedCount;
  HeaderReserved = h.Reserved;
  std::memcpy(FlipKinds, h.FlipKinds, 3);
  PropX = h.PropX;
  PropY = h.PropY;
  GridW = h.GridW;
  GridH = h.GridH;
  SignatureBitmap.SetSize(GridW, GridH);
  SigSize = static_cast<int32_t>(h.SigSize);
  Signature.assign(static_cast<size_t>(SigSize), 0);

  OrderKeyWidth = 0;
  OrderPos = 0;
  OrderCount = Count;
  Go(1);
  baseName_ = baseName;
  Modified = false;
}

// ---- Writing ----

namespace {

// The header of a library of count records, all unflipped, in the settings' proportion,
// grid, colour system, filter code (as given) and format byte; no section offsets yet.
TLibraryHeader HeaderFor(const TBuildSettings& shape, int32_t count) {
  TLibraryHeader h;
  h.Count = count;
  h.UnflippedCount = count;
  h.FormatByte = shape.FormatByte;
  h.ColorSystem = shape.ColorSystem;
  h.FilterCode = shape.FilterCode;
  h.PropX = static_cast<uint16_t>(shape.PropX);
  h.PropY = static_cast<uint16_t>(shape.PropY);
  h.GridW = static_cast<uint16_t>(shape.GridW);
  h.GridH = static_cast<uint16_t>(shape.GridH);
  h.SigSize = static_cast<uint32_t>(shape.GridW * shape.GridH * 3);
  return h;
}

}  // namespace

int64_t TQVData::LibraryImageSize() const {
  return kLibraryHeaderSize + TextSection.Size() + DataSection.Size() + ThumbSection.Size();
}

void TQVData::WriteLibraryImage(const ByteSink& sink) const {
  TLibraryHeader h = HeaderFor(TableBuildSettings(), Count);
  h.UnflippedCount = UnflippedCount;
  h.Reserved = HeaderReserved;
  std::memcpy(h.FlipKinds, FlipKinds, 3);
  SetSectionOffsets(h, TextSection.Size(), DataSection.Size());
  std::string head = EncodeLibraryHeader(h);
  sink(head.data(), head.size());
  sink(TextSection.Data(), static_cast<size_t>(TextSection.Size()));
  sink(DataSection.Data(), static_cast<size_t>(DataSection.Size()));
  ThumbSection.ReadChunks(0, ThumbSection.Size(), sink);
}

bool TQVData::SectionsHoldTable() const {
  return HasTag(TextSection, kTextTag) && HasTag(DataSection, kDataTag) && ThumbSection.Size() >= kTagSize &&
         DataSection.Size() == kTagSize + int64_t(Count) * SlotSize();
}

bool TQVData::SaveLibraryFile(const std::string& fileName) {
  // A table whose sections do not hold its records (a closed table keeps its counts) would
  // make a file no reader accepts.
  if (!SectionsHoldTable()) return false;
  return WriteFileAtomically(fileName, [&](const ByteSink& sink) { WriteLibraryImage(sink); });
}

void TQVData::Save() {
  if (!SaveLibraryFile(baseName_)) throw EStreamError("Cannot write file " + baseName_);
  Modified = false;
}

int64_t TQVData::WorkLibraryImageSize() const {
  if (!Work) return 0;
  return kLibraryHeaderSize + Work->Text.Size() + Work->Data.Size() + Work->Thumb.Size();
}

void TQVData::WriteWorkLibraryImage(const ByteSink& sink) const {
  if (!Work) throw EStreamError("No build pass is running");
  TLibraryHeader h = HeaderFor(pass_, AddedCount);
  h.FilterCode = static_cast<uint8_t>(ResampleFilterFromCode(pass_.FilterCode));
  SetSectionOffsets(h, Work->Text.Size(), Work->Data.Size());
  std::string head = EncodeLibraryHeader(h);
  sink(head.data(), head.size());
  Work->Text.ReadChunks(0, Work->Text.Size(), sink);
  Work->Data.ReadChunks(0, Work->Data.Size(), sink);
  Work->Thumb.ReadChunks(0, Work->Thumb.Size(), sink);
}

bool TQVData::WriteLibraryFile(const std::string& fileName) {
  bool ok = Work && WriteFileAtomically(fileName, [&](const ByteSink& sink) { WriteWorkLibraryImage(sink); });
  CloseWorkFiles();
  return ok;
}

// ---- Probes ----

void TQVData::ReadLibraryInfo(const std::string& fileName, TBaseInfo& info) const {
  TLibraryHeader h;
  if (!ProbeHeader(fileName, h)) {
    info.FileName.clear();
    return;
  }
  info.FileName = fileName;
  info.Count = h.Count;
  info.PropX = h.PropX;
  info.PropY = h.PropY;
  info.GridW = h.GridW;
  info.GridH = h.GridH;
}

int32_t TQVData::CompareLibraryFile(const std::string& fileName) const {
  TLibraryHeader h;
  if (!ProbeHeader(fileName, h)) return -1;
  int32_t result = 0;
  if (h.PropX != PropX || h.PropY != PropY) result = 1;
  if (h.GridW != GridW || h.GridH != GridH || int64_t(h.SigSize) != SigSize) result = 2;
  return result;
}

}  // namespace qv
