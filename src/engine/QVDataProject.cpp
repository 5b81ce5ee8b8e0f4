// TQVData: the project file (.qvp): creation from a source picture, the readers of its plan
// and mosaic parts, the writer, and the compaction of a mosaic before it is saved.
//
// Layout: magic, Cols and Rows (uint16), A and B (int32, file offsets of the two parts), the
// library and source file names (uint16 length + bytes), SourceRect (4 x int32); the long
// form goes on with int32 0, ProjectReserved (2 x int32) and 12 zero bytes. At A an int32
// length and the plan as a complete library file, at B the same for the mosaic. A reader
// tells the forms apart by the int32 after SourceRect: 0 in the long form, the plan's
// (non-zero) length in the short form.
//
// The readers do not trust the file: header, names, part offsets and lengths are checked
// against the file's size, each part through the library reader, and each part's record
// count against the grid, all before anything of the instance changes.
#include <cstring>
#include <memory>
#include <utility>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "engine/QVData.h"
#include "engine/ReadOnlyFile.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {
namespace {

const uint8_t kProjectMagic[8] = {0x00, 0xFF, 0x20, 'Q', 'V', 'P', '2', '1'};
const char kWrongProjectFormat[] = "Wrong file format. Not quivara QVP file";
constexpr int64_t kShortHeaderFixed = 40;  // header bytes besides the two names, short form
constexpr int64_t kLongHeaderFixed = 64;   // long form

struct TProjectHeader {
  int32_t Cols = 0;
  int32_t Rows = 0;
  std::string LibraryFileName;
  std::string SourceFileName;
  Rect SourceRect;
  int32_t Reserved[2] = {0, 0};
  int64_t PlanStart = 0;  // first byte of the plan's library file (A + 4)
  int64_t PlanEnd = 0;
  int64_t MosaicStart = 0;  // B + 4
  int64_t MosaicEnd = 0;
};

// Sequential reads from the header; a read past the end of the file means a damaged file.
class HeaderReader {
 public:
  HeaderReader(int fd, const std::string& fileName) : fd_(fd), fileName_(fileName) {}
  void Read(void* out, int64_t n) {
    if (!ReadExact(fd_, pos_, out, n)) RaiseDamagedFile(fileName_, "the header is cut short");
    pos_ += n;
  }
  uint16_t U16() {
    uint8_t b[2];
    Read(b, 2);
    return GetLE16(b);
  }
  int32_t I32() {
    uint8_t b[4];
    Read(b, 4);
    return GetLE32s(b);
  }
  std::string Name() {
    std::string s(U16(), '\0');
    Read(s.data(), static_cast<int64_t>(s.size()));
    return s;
  }
  int64_t Pos() const { return pos_; }
  void Seek(int64_t pos) { pos_ = pos; }

 private:
  int fd_;
  const std::string& fileName_;
  int64_t pos_ = 0;
};

// Reads the header and the two part lengths, and checks that the parts lie in order inside
// the file.
TProjectHeader ReadProjectHeader(int fd, const std::string& fileName, int64_t fileSize) {
  uint8_t magic[8];
  if (fileSize < 8 || !ReadExact(fd, 0, magic, 8) || std::memcmp(magic, kProjectMagic, 8) != 0)
    throw EFormatError(kWrongProjectFormat);
  HeaderReader in(fd, fileName);
  in.Seek(8);
  TProjectHeader h;
  h.Cols = in.U16();
  h.Rows = in.U16();
  const int64_t a = in.I32();
  const int64_t b = in.I32();
  h.LibraryFileName = in.Name();
  h.SourceFileName = in.Name();
  h.SourceRect.Left = in.I32();
  h.SourceRect.Top = in.I32();
  h.SourceRect.Right = in.I32();
  h.SourceRect.Bottom = in.I32();
  const int64_t names = int64_t(h.LibraryFileName.size()) + int64_t(h.SourceFileName.size());
  int64_t headerEnd = kShortHeaderFixed + names;
  if (in.I32() == 0) {
    h.Reserved[0] = in.I32();
    h.Reserved[1] = in.I32();
    headerEnd = kLongHeaderFixed + names;
  }
  if (h.Cols < 1 || h.Rows < 1)
    RaiseDamagedFile(fileName, "grid of " + std::to_string(h.Cols) + " x " + std::to_string(h.Rows) + " cells");

  // A part: an int32 length at its offset, then that many bytes.
  auto part = [&](int64_t at, int64_t notBefore, const char* what, int64_t& start, int64_t& end) {
    if (at < notBefore || at > fileSize - 4)
      RaiseDamagedFile(fileName, std::string(what) + " part offset out of place");
    in.Seek(at);
    const int64_t len = in.I32();
    if (len < 0 || len > fileSize - at - 4) RaiseDamagedFile(fileName, std::string(what) + " part runs past the file");
    start = at + 4;
    end = start + len;
  };
  part(a, headerEnd, "plan", h.PlanStart, h.PlanEnd);
  part(b, h.PlanEnd, "mosaic", h.MosaicStart, h.MosaicEnd);
  return h;
}

// One part read through the library reader, with its record count checked against the grid.
TQVData::LoadedTable ReadPart(const TQVData& reader, int fd, const std::string& fileName, const TProjectHeader& h,
                              int mode) {
  const bool plan = mode == 1;
  TQVData::LoadedTable t =
      reader.ReadLibraryPart(fd, fileName, plan ? h.PlanStart : h.MosaicStart, plan ? h.PlanEnd : h.MosaicEnd);
  if (int64_t(t.Header.Count) != int64_t(h.Cols) * h.Rows)
    RaiseDamagedFile(fileName, std::string(plan ? "plan" : "mosaic") + " of " + std::to_string(t.Header.Count) +
                                   " records for " + std::to_string(h.Cols) + " x " + std::to_string(h.Rows) +
                                   " cells");
  return t;
}

void SetProjectValues(TQVData& t, const TProjectHeader& h, bool plan) {
  t.Cols = h.Cols;
  t.Rows = h.Rows;
  t.LibraryFileName = h.LibraryFileName;
  if (!plan) return;
  t.SourceFileName = h.SourceFileName;
  t.SourceRect = h.SourceRect;
  t.ProjectReserved[0] = h.Reserved[0];
  t.ProjectReserved[1] = h.Reserved[1];
}

void PutName(std::string& out, const std::string& name) {
  uint8_t b[2];
  PutLE16(b, static_cast<uint16_t>(name.size()));
  out.append(reinterpret_cast<char*>(b), 2);
  out += name;
}

void PutI32(std::string& out, int32_t v) {
  uint8_t b[4];
  PutLE32(b, static_cast<uint32_t>(v));
  out.append(reinterpret_cast<char*>(b), 4);
}

// The header up to and including SourceRect, with A and B.
std::string HeaderStart(int32_t cols, int32_t rows, int64_t a, int64_t b, const std::string& library,
                        const std::string& source, const Rect& rect) {
  std::string out(reinterpret_cast<const char*>(kProjectMagic), 8);
  uint8_t u[2];
  PutLE16(u, static_cast<uint16_t>(cols));
  out.append(reinterpret_cast<char*>(u), 2);
  PutLE16(u, static_cast<uint16_t>(rows));
  out.append(reinterpret_cast<char*>(u), 2);
  PutI32(out, static_cast<int32_t>(a));
  PutI32(out, static_cast<int32_t>(b));
  PutName(out, library);
  PutName(out, source);
  PutI32(out, rect.Left);
  PutI32(out, rect.Top);
  PutI32(out, rect.Right);
  PutI32(out, rect.Bottom);
  return out;
}

void CheckName(const std::string& name, const char* what) {
  if (name.size() > 0xFFFF) throw EQuivara(std::string(what) + " is too long for a project file: " + name);
}

// The offsets of a project whose header has headerSize bytes and whose parts have the given
// lengths; they must fit the file's 32-bit fields.
void PartOffsets(int64_t headerSize, int64_t planSize, int64_t mosaicSize, int64_t& a, int64_t& b) {
  a = headerSize;
  b = a + 4 + planSize;
  if (b + 4 + mosaicSize > INT32_MAX) throw EStreamError("Project too large for 32-bit file offsets");
}

}  // namespace

// ---- Reading ----

bool TQVData::OpenProjectPart(const std::string& fileName, int mode) {
  if (!FileExists(fileName)) return false;
  ReadOnlyFile f(fileName);
  if (f.Fd() < 0) throw EStreamError("Cannot open file " + fileName + ": " + std::strerror(errno));
  TProjectHeader h = ReadProjectHeader(f.Fd(), fileName, f.Size());
  LoadedTable table = ReadPart(*this, f.Fd(), fileName, h, mode);
  AdoptTable(std::move(table), fileName);
  SetProjectValues(*this, h, mode == 1);
  return true;
}

bool TQVData::OpenProject(const std::string& fileName, TQVData& mosaic) {
  if (!FileExists(fileName)) return false;
  // What saves killed on the way left in the project's folder.
  RemoveStaleTempFiles(ExtractFileDir(fileName));
  ReadOnlyFile f(fileName);
  if (f.Fd() < 0) throw EStreamError("Cannot open file " + fileName + ": " + std::strerror(errno));
  TProjectHeader h = ReadProjectHeader(f.Fd(), fileName, f.Size());
  LoadedTable plan = ReadPart(*this, f.Fd(), fileName, h, 1);
  LoadedTable cells = ReadPart(mosaic, f.Fd(), fileName, h, 2);
  AdoptTable(std::move(plan), fileName);
  SetProjectValues(*this, h, true);
  mosaic.AdoptTable(std::move(cells), fileName);
  SetProjectValues(mosaic, h, false);
  return true;
}

// ---- Creating ----

void TQVData::CreateProject(const std::string& fileName, const Bitmap24& sourceBitmap, const TSourceImageRecord& source,
                            Size cells) {
  const int32_t cols = cells.Width, rows = cells.Height;
  if (!TableIsOpen() || GridW < 1 || GridH < 1) throw EQuivara("No library is open to make a project with");
  if (cols < 1 || rows < 1 || cols > 0xFFFF || rows > 0xFFFF)
    throw EQuivara("A grid of " + std::to_string(cols) + " x " + std::to_string(rows) + " cells is not usable");
  const int64_t width = int64_t(cols) * GridW, height = int64_t(rows) * GridH;
  if (width > INT32_MAX / 4 || height > INT32_MAX / 4 || width * height > (int64_t(1) << 30))
    throw EQuivara("A grid of " + std::to_string(cols) + " x " + std::to_string(rows) + " cells is too large");
  CheckName(BaseName(), "The library file name");
  CheckName(source.FileName, "The source file name");

  // The plan has the library's geometry and RGB signatures; its filter code is this
  // instance's build filter code, which a pass leaves behind.
  TBuildSettings plan = TableBuildSettings();
  plan.ColorSystem = kColorRGB;
  plan.FilterCode = BuildFilterCode;
  AddedCount = 0;

  const Bitmap24 grid =
      Resample(sourceBitmap, static_cast<int>(width), static_cast<int>(height), ResampleFilterFromCode(FilterCode));
  OpenWorkFiles(plan);
  struct WorkFilesCloser {
    TQVData& t;
    ~WorkFilesCloser() { t.CloseWorkFiles(); }
  } closer{*this};
  Bitmap24 cell(GridW, GridH);
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < cols; ++c) {
      for (int y = 0; y < GridH; ++y) std::memcpy(cell.Row(y), grid.Pixel(c * GridW, r * GridH + y), size_t(GridW) * 3);
      const SignatureBytes sig = SignatureOf(cell, kColorRGB);
      TTileInfo info;
      info.CellRow = r;
      info.Detail = DetailOf(sig.data(), static_cast<int>(sig.size()));
      info.Name = "  ";
      AppendWorkRecord(0, sig.data(), std::move(info), nullptr, true);
      ++AddedCount;
    }
  }

  const int64_t planSize = WorkLibraryImageSize();
  int64_t a, b;
  PartOffsets(kShortHeaderFixed + int64_t(BaseName().size()) + int64_t(source.FileName.size()), planSize, planSize, a,
              b);
  AtomicFileWriter out(fileName);
  out.Write(HeaderStart(cols, rows, a, b, BaseName(), source.FileName, source.SourceRect));
  const ByteSink sink = [&out](const void* p, size_t n) { out.Write(p, n); };
  for (int copy = 0; copy < 2; ++copy) {
    std::string len;
    PutI32(len, static_cast<int32_t>(planSize));
    out.Write(len);
    WriteWorkLibraryImage(sink);
  }
  out.Commit();
}

// ---- Writing ----

void TQVData::WriteProjectImage(const ByteSink& sink, const TQVData& mosaic, const TQVData& library) const {
  if (!SectionsHoldTable() || !mosaic.SectionsHoldTable()) throw EQuivara("No project is open to save");
  if (Cols < 1 || Rows < 1 || Cols > 0xFFFF || Rows > 0xFFFF || int64_t(Cols) * Rows != Count || mosaic.Count != Count)
    throw EQuivara("Plan and mosaic do not make a project of " + std::to_string(Cols) + " x " + std::to_string(Rows) +
                   " cells");
  // Without an open library the project keeps naming the library it was made with.
  const std::string& libraryName = library.TableIsOpen() ? library.BaseName() : LibraryFileName;
  CheckName(libraryName, "The library file name");
  CheckName(SourceFileName, "The source file name");

  const int64_t planSize = LibraryImageSize(), mosaicSize = mosaic.LibraryImageSize();
  int64_t a, b;
  PartOffsets(kLongHeaderFixed + int64_t(libraryName.size()) + int64_t(SourceFileName.size()), planSize, mosaicSize, a,
              b);
  std::string head = HeaderStart(Cols, Rows, a, b, libraryName, SourceFileName, SourceRect);
  PutI32(head, 0);
  PutI32(head, ProjectReserved[0]);
  PutI32(head, ProjectReserved[1]);
  head.append(12, '\0');

  sink(head.data(), head.size());
  std::string len;
  PutI32(len, static_cast<int32_t>(planSize));
  sink(len.data(), len.size());
  WriteLibraryImage(sink);
  len.clear();
  PutI32(len, static_cast<int32_t>(mosaicSize));
  sink(len.data(), len.size());
  mosaic.WriteLibraryImage(sink);
}

void TQVData::SaveProject(const std::string& fileName, const TQVData& mosaic, const TQVData& library) const {
  // Checked before the temporary file is made, so a project that cannot be saved leaves
  // nothing behind.
  std::unique_ptr<AtomicFileWriter> out;
  WriteProjectImage(
      [&](const void* p, size_t n) {
        if (!out) out = std::make_unique<AtomicFileWriter>(fileName);
        out->Write(p, n);
      },
      mosaic, library);
  out->Commit();
}

// ---- Compaction ----

void TQVData::CompactSections() {
  if (!SectionsHoldTable()) return;
  ByteSection text;
  text.Append(kTextTag, kTagSize);
  FileSection thumb;
  thumb.Append(kThumbTag, kTagSize);
  std::vector<int32_t> textOffsets(static_cast<size_t>(Count));
  // The entries' lengths, read together in the order they lie in the section (an entry this
  // cannot reach is read again below, which raises the error).
  std::vector<int64_t> lengthAt(static_cast<size_t>(Count), -1);
  std::vector<int64_t> reachable;
  for (int32_t n = 1; n <= Count; ++n) {
    const int64_t t = RecordTextOffset(n);
    if (!TextSection.Holds(t + kTileInfoThumbAt, 4)) continue;
    const int32_t m = TextSection.ReadI32(t + kTileInfoThumbAt);
    if (m == 0 || !ThumbSection.Holds(m, 4)) continue;
    lengthAt[size_t(n - 1)] = static_cast<int64_t>(reachable.size());
    reachable.push_back(m);
  }
  const std::vector<int32_t> lengths = ThumbSection.ReadI32s(reachable);
  for (int32_t n = 1; n <= Count; ++n) {
    const int32_t t = RecordTextOffset(n);
    const int64_t size = TileInfoSizeAt(TextSection, t);
    const uint16_t nameLength = TextSection.ReadU16(t);
    const int32_t oldThumb = TextSection.ReadI32(int64_t(t) + kTileInfoThumbAt);
    // A record without a thumbnail keeps offset 0: an empty entry would be read as a
    // thumbnail that does not decode.
    int64_t newThumb = 0;
    if (oldThumb != 0) {
      const int64_t known = lengthAt[size_t(n - 1)];
      const int32_t length = known >= 0 ? lengths[size_t(known)] : ThumbSection.ReadI32(oldThumb);
      if (length < 0 || !ThumbSection.Holds(int64_t(oldThumb) + 4, length))
        throw EStreamError("Thumbnail entry of record " + std::to_string(n) + " runs past its section");
      newThumb = thumb.Size();
      thumb.AppendI32(length);
      thumb.AppendFrom(ThumbSection, int64_t(oldThumb) + 4, length);
    }
    const int64_t newText = text.Size();
    if (newText + size > INT32_MAX || newThumb > INT32_MAX) throw EStreamError("Section too large for 32-bit offsets");
    text.AppendU16(nameLength);
    text.AppendI32(static_cast<int32_t>(SlotOffset(n)));
    text.AppendI32(static_cast<int32_t>(newThumb));
    text.Append(TextSection.Span(int64_t(t) + kTileInfoTileNoAt, size - kTileInfoTileNoAt), size - kTileInfoTileNoAt);
    textOffsets[size_t(n - 1)] = static_cast<int32_t>(newText);
  }
  const int64_t dataPos = DataSection.Position;
  for (int32_t n = 1; n <= Count; ++n) DataSection.WriteI32(SlotOffset(n) + 1, textOffsets[size_t(n - 1)]);
  DataSection.Position = dataPos;
  TextSection.Swap(text);
  ThumbSection.Swap(thumb);
}

}  // namespace qv
