#pragma once
// TQVData: one table of tile records in one of three roles (library, plan, mosaic), with
// its record cursor and orders, and the operations that build, read, write and maintain it.
//
// The table lives in four sections: TextSection (".txt" + TileInfo records), DataSection
// (".dat" + one TileSlot per record), ThumbSection (".tmb" + thumbnail entries, kept in a
// temporary file) and OrderStream (the current order). Offsets stored in records count from
// the first byte of the section they point into. See engine/TileRecords.h for the layouts.
//
// The operations are spread over several files by concern: QVDataTable.cpp (cursor, record
// access, orders), QVDataLibraryFile.cpp (the .qv2 reader and writers), QVDataBuild.cpp
// (build, append, resample passes), QVDataWorkFiles.cpp (the work files of a pass),
// QVDataFlips.cpp (blocks of flipped copies), QVDataProject.cpp (the .qvp project file),
// QVDataMatching.cpp (the searches), QVDataOrders.cpp (the order builders) and
// QVDataPlacement.cpp (writing tiles and pictures into mosaic cells).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "base/RecentCache.h"
#include "engine/BuildSettings.h"
#include "engine/ByteSection.h"
#include "engine/CellGrid.h"
#include "engine/FileSection.h"
#include "engine/Signature.h"
#include "engine/TileBuilder.h"
#include "engine/TileRecords.h"
#include "raster/Bitmap24.h"

namespace qv {

// Library file name and geometry, as GetInfo and ReadLibraryInfo report them.
struct TBaseInfo {
  std::string FileName;
  int32_t Count = 0;
  int32_t PropX = 0;
  int32_t PropY = 0;
  int32_t GridW = 0;
  int32_t GridH = 0;
};

// The source picture of a project and the part of it the mosaic covers.
struct TSourceImageRecord {
  std::string FileName;
  Rect SourceRect;
};

// FlipKind codes.
enum : int { kFlipNone = 0, kFlipHorizontal = 1, kFlipRotate180 = 2, kFlipVertical = 3 };

// Receives bytes in order (a file being written).
using ByteSink = std::function<void(const void* data, size_t size)>;

// The six picture values of a record: the picture file's size and the crop rectangle, whose
// reversed corners carry a flip.
struct TPictureValues {
  int32_t PicWidth = 0;
  int32_t PicHeight = 0;
  int32_t CropLeft = 0;
  int32_t CropTop = 0;
  int32_t CropRight = 0;
  int32_t CropBottom = 0;
};

// Everything one mosaic cell holds, by value: its slot's status and signature, its TileInfo
// (tile id, six picture values, name, cell row, detail) and its thumbnail. Undo keeps cells
// this way; offsets into the sections are not part of it (they change with every placement
// and with CompactSections).
struct TCellRecord {
  uint8_t Status = 0;
  SignatureBytes Signature;
  TTileInfo Info;  // SlotOffset and ThumbOffset as read, ignored when written back
  bool HasThumbnail = false;
  std::string ThumbJpeg;
};
// True when two cell records hold the same content (offsets not compared).
bool SameCellContent(const TCellRecord& a, const TCellRecord& b);

// How FindTileForCell scans a library. Every setting gives the same choice; the defaults are
// the fastest. Packed = false is the plain record-by-record scan of the data section. The
// packed scan runs the kernels TileSearchKernelChoice() chose.
struct TTileSearchOptions {
  bool Packed = true;  // scan a packed, aligned copy of the signatures
  bool CutOff = true;  // leave a record once its partial distance reaches the best so far
  // Pass over a record without reading its signature when the colour sums of its four
  // quadrants alone put it at or beyond the best so far (the sum of squares over n cells is
  // at least the square of the sums' difference divided by n).
  bool Bound = true;
};

// Counters of the searches run on a library (for benchmarks and reports).
struct TTileSearchStats {
  uint64_t Searches = 0;
  uint64_t Candidates = 0;   // records the Repeat limit let through to the comparison
  uint64_t Evaluations = 0;  // records whose distance was computed, in full or cut short
  uint64_t Completed = 0;    // of those, computed in full
};

class TSignaturePack;

class TQVData {
 public:
  TQVData();  // creates the thumbnail temporary file; throws EStreamError when it cannot
  ~TQVData();
  TQVData(const TQVData&) = delete;
  TQVData& operator=(const TQVData&) = delete;

  // ---- Sections ----
  ByteSection TextSection;
  ByteSection DataSection;
  FileSection ThumbSection;
  ByteSection OrderStream;

  // ---- Table fields ----
  int32_t SigSize = 0;
  int32_t Count = 0;
  int32_t UnflippedCount = 0;
  uint8_t FormatByte = 0;
  uint8_t ColorSystem = 0;
  uint8_t FilterCode = 0;
  uint8_t HeaderReserved = 0;  // the reserved header byte before FlipKinds, kept as read
  uint8_t FlipKinds[3] = {0, 0, 0};
  // Whether the library holds a block of flipped copies of that kind (kFlipHorizontal...).
  bool HoldsFlipKind(int kind) const { return FlipKinds[0] == kind || FlipKinds[1] == kind || FlipKinds[2] == kind; }
  int32_t PropX = 0;
  int32_t PropY = 0;
  int32_t GridW = 0;
  int32_t GridH = 0;
  int32_t OrderKeyWidth = 0;
  int32_t OrderCount = 0;
  int32_t OrderPos = 0;
  int32_t RecNo = 0;

  // ---- The current record ----
  uint8_t StatusByte = 0;
  int32_t TileNo = 0;
  int32_t PicWidth = 1;
  int32_t PicHeight = 1;
  int32_t CropLeft = 0;
  int32_t CropTop = 0;
  int32_t CropRight = 1;
  int32_t CropBottom = 1;
  std::string Name;  // full path of the tile's picture file ("  " for plan cells)
  SignatureBytes Signature;
  Bitmap24 SignatureBitmap;  // GridW x GridH, the signature drawn as pixels
  Bitmap24 ThumbBitmap;      // the decoded thumbnail, or the colour grid when there is none
  std::string ThumbJpeg;     // the thumbnail's JPEG bytes; empty when none was read

  bool Modified = false;
  // Set by the user interface (or a signal handler), polled by long passes, never cleared here.
  std::atomic<bool> StopRequested{false};
  int32_t Progress = 0;
  int32_t AddedCount = 0;
  uint8_t JpegQuality = 50;  // quality of the thumbnails flips and placements write

  // Filter code of the last build, append or resample pass this instance ran (Box until
  // one runs). The plans CreateProject writes carry it as their filter code.
  uint8_t BuildFilterCode = kFilterBox;
  Bitmap24 LastTilePicture;  // the last picture added, as cropped (a preview for the dialog)

  // ---- Project values ----
  int32_t Cols = 0;
  int32_t Rows = 0;
  std::string LibraryFileName;
  std::string SourceFileName;
  Rect SourceRect;
  int32_t ProjectReserved[2] = {0, 0};

  // ---- Published properties ----
  const std::string& BaseName() const { return baseName_; }
  // Opens the file as a library; a name of a file that does not exist changes nothing.
  void SetBaseName(const std::string& fileName);
  bool PicDeleted() const { return StatusByte > kMaxUseCount; }
  std::string ColorSystemName() const;  // "YCC", "RGB", "Y" or "???"
  bool ShowThumbs = false;              // loading a record decodes its thumbnail
  bool TableIsOpen() const { return !baseName_.empty(); }

  // Memory for the thumbnails the cursor has decoded, kept with their JPEG bytes and found
  // again by their offset for as long as the thumbnail section's existing bytes stay as
  // they are, so loading a record seen before copies its picture instead of decoding it.
  // 0 turns the cache off; every result is the same either way.
  size_t ThumbCacheBytes = size_t(8) << 20;

  std::function<void(TQVData&)> OnProgress;            // flips and resampling, every 100 records
  std::function<void(TQVData&)> OnCreateBaseProgress;  // build passes, once per picture
  // Lets the application process pending window messages during a long pass.
  std::function<void()> OnProcessMessages;
  // Warnings of a pass that ends early ("Flipped tiles was not added to the library.",
  // caption "Procedure stopped"); the windows show a message box, the CLI prints.
  std::function<void(const std::string& text, const std::string& caption)> OnWarning;

  // ---- Table and cursor (QVDataTable.cpp) ----
  // Empties the four sections, clears BaseName and Modified; grid and counts stay.
  void Close();
  // With an order, makes its k-th entry (1-based, clamped) current; without one, record k.
  // Returns false (and clears the current record) when there is nothing to go to.
  bool Go(int32_t k);
  // Makes record n (clamped to 1..Count) current, ignoring any order.
  bool GoRecord(int32_t n);
  void GetInfo(TBaseInfo& info) const;

  // SignatureOf(Resample(ThumbBitmap, gridW, gridH, Mitchell), colorSystem): what a mosaic
  // of another colour system stores for the current record. Worked out once per decoded
  // thumbnail while the thumbnail cache is on. Not for concurrent use.
  SignatureBytes ThumbSignature(int32_t gridW, int32_t gridH, uint8_t colorSystem) const;

  // Record access by number (1-based), without moving the cursor. All reads are checked.
  int32_t SlotSize() const { return SigSize + kSlotHeadSize; }
  int64_t SlotOffset(int32_t n) const { return kTagSize + int64_t(n - 1) * SlotSize(); }
  // Record number of a slot or signature offset: Round((p - 4) / (SigSize + 5)) + 1.
  int32_t RecordNumberAt(int64_t offset) const;
  int32_t TileNumberOf(int32_t n) const;  // ((n - 1) mod UnflippedCount) + 1
  uint8_t RecordStatus(int32_t n) const;
  void SetRecordStatus(int32_t n, uint8_t status);
  int32_t RecordTextOffset(int32_t n) const;
  const uint8_t* RecordSignature(int32_t n) const;  // SigSize bytes inside DataSection
  TTileInfo RecordInfo(int32_t n) const;
  int32_t RecordTileNo(int32_t n) const;
  std::string RecordName(int32_t n) const;
  std::string RecordThumbJpeg(int32_t n) const;  // empty when the record has none
  std::string ThumbEntry(int32_t offset) const;  // the JPEG of a thumbnail entry
  const uint8_t* DataBytes() const { return DataSection.Data(); }
  int64_t DataSize() const { return DataSection.Size(); }

  // Appending to the in-memory sections (placement, flips). Each returns the new offset.
  int32_t AppendTileInfo(const TTileInfo& info);
  int32_t AppendThumbEntry(const std::string& jpeg);
  // Overwrites record n's slot (status, text offset, signature of SigSize bytes).
  void WriteSlot(int32_t n, uint8_t status, int32_t textOffset, const uint8_t* signature);

  // Orders: entries of an int32 slot offset and an OrderKeyWidth-byte key.
  void ClearOrder();                  // no order; OrderCount = Count; the record is not reloaded
  void BeginOrder(int32_t keyWidth);  // an empty order with that key width
  void AppendOrderEntry(int32_t slotOffset, const void* key);
  void AppendOrderEntry(int32_t slotOffset, double key);  // for 8-byte keys
  int32_t OrderEntrySlot(int32_t i) const;                // 0-based entry
  double OrderEntryKeyF64(int32_t i) const;
  std::string OrderEntryKey(int32_t i) const;
  // Stable sort of the entries appended since BeginOrder (8-byte keys as float64, others
  // byte by byte), then keeps the first keep entries (0 = all) and sets OrderCount.
  void SortOrder(bool descending, int32_t keep = 0);

  // ---- Library file (QVDataLibraryFile.cpp) ----
  // Mode 0 reads a library file; modes 1 and 2 read the plan part and the mosaic part of a
  // project file (QVDataProject.cpp). Returns false, changing nothing, when the file does not
  // exist; raises EFormatError for a file that is not a library (or project) or does not
  // hold together, and then nothing has changed either.
  bool Open(const std::string& fileName, int mode = 0);
  // Writes the table as a library file (through a temporary file renamed over the target).
  // False when it cannot be written or the table is not complete.
  bool SaveLibraryFile(const std::string& fileName);
  // SaveLibraryFile(BaseName), then clears Modified; raises EStreamError when it fails.
  void Save();
  // Header probe: file name and geometry, or an empty file name when f is not a library.
  void ReadLibraryInfo(const std::string& fileName, TBaseInfo& info) const;
  // -1 not a library, 0 same geometry, 1 other proportion, 2 other signature grid.
  int32_t CompareLibraryFile(const std::string& fileName) const;
  // Writes the work files of a pass as a library file with the header from the pass's
  // settings, then deletes them. False when the file cannot be written.
  bool WriteLibraryFile(const std::string& fileName);

  // Pieces for the project file, which embeds libraries with shifted offsets.
  struct LoadedTable {
    TLibraryHeader Header;
    ByteSection Text;
    ByteSection Data;
    FileSection Thumb;
  };
  // Reads and checks the library stored in [partStart, partEnd) of an open file. Raises
  // EFormatError; never changes the instance.
  LoadedTable ReadLibraryPart(int fd, const std::string& fileName, int64_t partStart, int64_t partEnd) const;
  // Makes a loaded table this instance's table: order dropped, record 1 current, BaseName
  // set, Modified cleared.
  void AdoptTable(LoadedTable&& table, const std::string& baseName);
  // True when the sections hold the table's records (a closed table keeps its counts but
  // not its sections).
  bool SectionsHoldTable() const;
  // The table as library file bytes: its size, and the bytes handed to a sink.
  int64_t LibraryImageSize() const;
  void WriteLibraryImage(const ByteSink& sink) const;

  // ---- Building (QVDataBuild.cpp); the settings are in engine/BuildSettings.h ----
  // Build pass over settings.RootFolder into a new library file; the open table is not
  // changed. False when the file could not be written, or was not, having no picture to hold
  // and settings.WriteEmptyLibrary off. Raises EQuivara for settings that
  // cannot make a library ("Not ready to create ..." without picture types).
  bool CreateLibrary(const std::string& fileName, const TBuildSettings& settings);
  // Appends the pictures below scan.RootFolder to the open library and rewrites BaseName;
  // the caller reopens the file afterwards. The new tiles get the library's own proportion,
  // grid, colour system, filter and format byte (AppendSettings). Flipped copies are not
  // carried into the file; when there were some, OnWarning says so ("Flipped tiles removed").
  bool AppendFolder(const TScanSettings& scan);
  // The settings AppendFolder(scan) runs with on the open library.
  TBuildSettings AppendSettings(const TScanSettings& scan) const;
  // Writes a copy of the open library with another signature grid and colour system.
  bool ResampleLibrary(const std::string& fileName, const TResampleSettings& settings);

  // Work files of a pass. OpenWorkFiles starts empty ones for a library of the settings'
  // proportion, grid, colour system, filter and format byte; AppendWorkRecord adds records;
  // WriteLibraryFile writes the library file (header from those settings, Count =
  // AddedCount) and closes them.
  void OpenWorkFiles(const TBuildSettings& settings);
  // Appends one record to the work files; info's offsets are filled in here. jpeg == nullptr
  // writes no thumbnail (offset 0). slotFieldIsSignature: the TileInfo's second field gets
  // the signature's offset (slot + 5) instead of the slot's.
  void AppendWorkRecord(uint8_t status, const uint8_t* signature, TTileInfo info, const std::string* jpeg,
                        bool slotFieldIsSignature);
  // The library the work files make, with the header from the build settings.
  int64_t WorkLibraryImageSize() const;
  void WriteWorkLibraryImage(const ByteSink& sink) const;
  void CloseWorkFiles();
  struct WorkFiles {
    FileSection Text, Data, Thumb;
  };
  std::unique_ptr<WorkFiles> Work;  // exists from OpenWorkFiles to WriteLibraryFile
  // The settings of the pass that owns Work (or ran last).
  const TBuildSettings& PassSettings() const { return pass_; }

  // ---- Project file (QVDataProject.cpp) ----
  // Called on the library: writes a new project (short form) for a grid of cells.Width
  // columns by cells.Height rows cut from sourceBitmap, whose plan and mosaic parts are the
  // same plan. Raises EQuivara when the library is not open or the grid is not usable,
  // EStreamError when the file cannot be written (an existing file is then left as it was).
  void CreateProject(const std::string& fileName, const Bitmap24& sourceBitmap, const TSourceImageRecord& source,
                     Size cells);
  // Open(f, 1) on the plan and Open(f, 2) on the mosaic, reading both parts before either
  // instance changes: a project that does not hold together raises EFormatError and changes
  // neither. False when the file does not exist.
  bool OpenProject(const std::string& fileName, TQVData& mosaic);
  // Called on the plan: writes the project (long form) through a temporary file renamed over
  // fileName. The library name written is library's file name, or the name read from the
  // project when no library is open. Raises EQuivara when plan and mosaic do not make a
  // project, EStreamError when the file cannot be written.
  void SaveProject(const std::string& fileName, const TQVData& mosaic, const TQVData& library) const;
  // The bytes SaveProject writes, handed to a sink; raises EQuivara as SaveProject does,
  // before the first byte.
  void WriteProjectImage(const ByteSink& sink, const TQVData& mosaic, const TQVData& library) const;
  // Called on the mosaic before a save: keeps exactly one TileInfo and one thumbnail entry
  // per record, in record order.
  void CompactSections();

  // ---- Matching (QVDataMatching.cpp) ----
  // Called on the library: the record that goes into cell (col, row) for the plan's current
  // record, under the Repeat limit (repeatLimit < 0: none) and the Distance square. Counts
  // the use on every allowed copy of the tile, writes its number into usedTiles and makes it
  // the current record. newTile: the tile had not been used in this run. Raises EOutOfTiles
  // when no record qualifies; then nothing has changed. A deleted record is never chosen.
  int32_t FindTileForCell(const TQVData& plan, std::vector<int32_t>& usedTiles, const TOrientationSet& orientations,
                          int32_t repeatLimit, int32_t distance, int32_t cols, int32_t rows, int32_t col, int32_t row,
                          bool& newTile);
  // Called on the library: an order of the records allowed for cell (col, row) outside the
  // Distance square, best first (keep = 0 all, else the keep best), the first current. Use
  // counts and deleted marks are not consulted.
  void ListCandidates(const TQVData& plan, const std::vector<int32_t>& usedTiles, const TOrientationSet& orientations,
                      int32_t keep, int32_t distance, int32_t cols, int32_t rows, int32_t col, int32_t row);
  // Every use count (status 1..250) back to 0; deleted marks stay.
  void ResetUseCounts();
  TTileSearchOptions SearchOptions;
  TTileSearchStats SearchStats;

  // ---- Placement (QVDataPlacement.cpp), called on the mosaic ----
  // Writes the library's current record into cell (record number). False, writing nothing,
  // when the signature grids differ, the cell does not exist or the library has no current
  // record. mapToUnflipped: TileNo is the tile number rather than the record number.
  bool PlaceTile(int32_t cell, const TQVData& library, bool mapToUnflipped);
  // Writes a picture into cell: its signature, the picture as thumbnail, tileNo (1000000000
  // for a custom picture), the six values and the name. False when the cell does not exist.
  bool PlaceCustomPicture(int32_t cell, const Bitmap24& bitmap, int32_t tileNo, const TPictureValues& values,
                          const std::string& name);
  // Copies the plan's current record into cell (erasing it: the cell shows the source).
  bool RestoreCellFromPlan(int32_t cell, const TQVData& plan);
  // Cell record n by value; raises EStreamError when it does not lie inside the sections.
  TCellRecord CellRecord(int32_t cell) const;
  // Writes a record taken by CellRecord back into cell exactly as it was (a new TileInfo and
  // thumbnail entry, the slot overwritten), so that the cell, its use in the next run's
  // used-tile table and the saved file are as before. False, writing nothing, when the cell
  // does not exist or the signature's size is not SigSize.
  bool WriteCellRecord(int32_t cell, const TCellRecord& record);
  // One entry per record: -1 when mode < 0, else the record's TileNo.
  void FillUsedTiles(std::vector<int32_t>& usedTiles, int32_t mode) const;
  // One entry per cell of a gridSize.X x gridSize.Y grid: -1 for a cell that will be filled
  // (inside topLeft..bottomRight, 1-based (column, row) corners; outside when invert), the
  // cell's TileNo otherwise. topLeft.X < 0: every entry -1.
  void FillUsedTilesForSelection(std::vector<int32_t>& usedTiles, bool invert, Point topLeft, Point bottomRight,
                                 Point gridSize) const;

  // ---- Order builders (QVDataOrders.cpp); each ends with Go(1) ----
  void OrderByName(bool nameOnly);                  // ascending by name (file-name part when nameOnly)
  void OrderByDetail();                             // the plan's cells by Detail, descending
  void OrderRandom();                               // random, seeded from the clock
  void OrderRandom(uint64_t seed);                  // random, repeatable for a seed
  void OrderBySignature(const uint8_t* signature);  // by distance to SigSize bytes, ascending
  void OrderByPicture(const Bitmap24& bitmap);      // by distance to the picture's signature

  // ---- Flipped copies (QVDataFlips.cpp) ----
  // Appends a block of copies flipped by kind (1 horizontal, 2 rotated 180, 3 vertical).
  // True when the block was added; false when the kind is present, no block is free, or the
  // pass stopped or failed (then everything is rolled back and OnWarning is told).
  bool AddFlippedCopies(int kind);
  void RemoveFlippedCopies();

 private:
  void LoadCurrentRecord(int64_t slotPos);
  // ThumbJpeg and ThumbBitmap from the thumbnail entry at offset (a picture that does not
  // decode leaves ThumbBitmap as it was).
  void LoadThumbnail(int32_t offset);
  void ClearCurrentRecord();
  // Every 100 records of a pass over the unflipped tiles (i the 0-based index of the tile
  // just done): Progress = Round(i / UnflippedCount x 100), then OnProgress.
  void ReportTileProgress(int32_t i);
  // Proportion, grid, colour system, filter and format byte of the open table; the rest
  // as for a new library.
  TBuildSettings TableBuildSettings() const;
  // The build pass (into fileName) or the append pass (onto the open library, rewriting
  // fileName = BaseName) with these settings.
  bool RunScanPass(const TBuildSettings& settings, bool append, const std::string& fileName);
  // Steps of the build and append passes, run with pass_.
  void ScanFolder(const std::string& folder);
  bool AddPicture(const std::string& fileName);
  void AddPreparedTile(const std::string& fileName, TPreparedTile& tile);
  void AddTileRecord(const std::string& name, int32_t picWidth, int32_t picHeight, const Rect& crop,
                     const SignatureBytes& signature, const std::string& jpeg);
  // The open library's unflipped tiles into fresh work files for a pass of settings.
  void CopyToWorkFiles(const TBuildSettings& settings);
  // The settings of the running pass: the geometry of the records it writes and of the
  // header WriteLibraryFile gives them.
  TBuildSettings pass_;
  // Where the unflipped tiles' TileInfos and thumbnails end in their sections; what lies
  // beyond belongs to flipped copies only.
  void UnflippedSectionEnds(int64_t& textEnd, int64_t& thumbEnd) const;
  bool OpenProjectPart(const std::string& fileName, int mode);
  // Writes a new TileInfo and thumbnail for cell and overwrites its slot.
  bool WriteCell(int32_t cell, uint8_t status, const uint8_t* signature, TTileInfo info, const std::string& jpeg);
  bool BlockAllowed(int block, const TOrientationSet& orientations) const;
  std::string baseName_;
  struct TThumbSignature {
    int32_t GridW, GridH;
    uint8_t ColorSystem;
    SignatureBytes Signature;
  };
  struct TDecodedThumb {
    std::string Jpeg;
    Bitmap24 Picture;
    bool Decoded = false;                     // false: the bytes do not decode
    std::vector<TThumbSignature> Signatures;  // ThumbSignature's results for Picture
  };
  TRecentCache<uint64_t, std::shared_ptr<TDecodedThumb>> thumbCache_{ThumbCacheBytes};  // by thumbnail offset
  uint64_t thumbCacheGeneration_ = 0;          // of ThumbSection when the cached entries were read
  std::shared_ptr<TDecodedThumb> shownThumb_;  // the cached thumbnail ThumbBitmap was last given
  // The packed signatures of the render search, rebuilt when the data section changes.
  std::shared_ptr<TSignaturePack> searchPack_;
};

}  // namespace qv
