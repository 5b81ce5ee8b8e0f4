#include "base/MemoryTuning.h"

#include <malloc.h>

namespace qv {

void TuneAllocatorForLargePictures() {
  ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 128 << 20);
}

}  // namespace qv
