// The library file reader: Open on any bytes either raises EFormatError, changing nothing,
// or gives a table whose every record reads (thumbnails decoded), which writes out as a
// library file that opens again with the same sections.
#include "FuzzTables.h"
#include "base/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = qvfuzz::InputFile(data, size, ".qv2");
  qv::TQVData probe;
  qv::TBaseInfo info;
  probe.ReadLibraryInfo(file, info);
  probe.CompareLibraryFile(file);

  qv::TQVData lib;
  try {
    QVFUZZ_CHECK(lib.Open(file, 0));
  } catch (const qv::EFormatError&) {
    QVFUZZ_CHECK(!lib.TableIsOpen() && lib.Count == 0);
    return 0;
  }
  QVFUZZ_CHECK(info.FileName == file && info.Count == lib.Count);
  qvfuzz::StepThroughRecords(lib);

  qvfuzz::MemorySink image;
  lib.WriteLibraryImage(image.Sink());
  QVFUZZ_CHECK(int64_t(image.bytes.size()) == lib.LibraryImageSize());
  const std::string copy =
      qvfuzz::InputFile(reinterpret_cast<const uint8_t*>(image.bytes.data()), image.bytes.size(), "-copy.qv2");
  qv::TQVData again;
  QVFUZZ_CHECK(again.Open(copy, 0));
  QVFUZZ_CHECK(again.Count == lib.Count && again.SigSize == lib.SigSize);
  QVFUZZ_CHECK(again.TextSection.Size() == lib.TextSection.Size());
  QVFUZZ_CHECK(again.DataSection.Size() == lib.DataSection.Size());
  QVFUZZ_CHECK(again.ThumbSection.Size() == lib.ThumbSection.Size());
  return 0;
}
