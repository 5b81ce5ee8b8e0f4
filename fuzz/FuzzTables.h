#pragma once
// Shared by the library and project targets: what must hold of a table the reader accepted.
#include <string>

#include "FuzzSupport.h"
#include "engine/QVData.h"

namespace qvfuzz {

// Every record of an accepted table can be made current, its thumbnail decoded (a
// thumbnail that does not decode keeps the colour grid) and read by number: the reader
// checked every offset, so nothing here may raise.
inline void StepThroughRecords(qv::TQVData& t) {
  t.ShowThumbs = true;
  for (int32_t n = 1; n <= t.Count; ++n) {
    QVFUZZ_CHECK(t.GoRecord(n));
    QVFUZZ_CHECK(t.RecNo == n);
    QVFUZZ_CHECK(int64_t(t.Signature.size()) == t.SigSize);
    t.RecordInfo(n);
    t.RecordThumbJpeg(n);
  }
}

// Collects what a sink is given.
struct MemorySink {
  std::string bytes;
  qv::ByteSink Sink() {
    return [this](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); };
  }
};

}  // namespace qvfuzz
