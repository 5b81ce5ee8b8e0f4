// The project file reader, short and long form: OpenProject and the two single-part opens
// (mode 1 the plan, mode 2 the mosaic) agree; an accepted project reads record by record,
// compacts, saves to memory and opens again with the same cells.
#include "FuzzTables.h"
#include "base/Errors.h"

namespace {

bool OpenPart(const std::string& file, int mode) {
  qv::TQVData t;
  try {
    return t.Open(file, mode);
  } catch (const qv::EFormatError&) {
    QVFUZZ_CHECK(!t.TableIsOpen());
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = qvfuzz::InputFile(data, size, ".qvp");
  const bool planOpens = OpenPart(file, 1);
  const bool mosaicOpens = OpenPart(file, 2);

  qv::TQVData plan, mosaic;
  bool opened = false;
  try {
    opened = plan.OpenProject(file, mosaic);
  } catch (const qv::EFormatError&) {
    QVFUZZ_CHECK(!plan.TableIsOpen() && !mosaic.TableIsOpen());
  }
  QVFUZZ_CHECK(opened == (planOpens && mosaicOpens));
  if (!opened) return 0;

  qvfuzz::StepThroughRecords(plan);
  qvfuzz::StepThroughRecords(mosaic);
  std::vector<qv::TCellRecord> cells;
  for (int32_t n = 1; n <= mosaic.Count; ++n) cells.push_back(mosaic.CellRecord(n));

  mosaic.CompactSections();
  qv::TQVData noLibrary;
  qvfuzz::MemorySink image;
  plan.WriteProjectImage(image.Sink(), mosaic, noLibrary);
  const std::string copy =
      qvfuzz::InputFile(reinterpret_cast<const uint8_t*>(image.bytes.data()), image.bytes.size(), "-copy.qvp");
  qv::TQVData plan2, mosaic2;
  QVFUZZ_CHECK(plan2.OpenProject(copy, mosaic2));
  QVFUZZ_CHECK(plan2.Cols == plan.Cols && plan2.Rows == plan.Rows && mosaic2.Count == mosaic.Count);
  QVFUZZ_CHECK(plan2.LibraryFileName == plan.LibraryFileName && plan2.SourceFileName == plan.SourceFileName);
  for (int32_t n = 1; n <= mosaic2.Count; ++n)
    QVFUZZ_CHECK(qv::SameCellContent(mosaic2.CellRecord(n), cells[size_t(n - 1)]));
  return 0;
}
