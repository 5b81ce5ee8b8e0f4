#include "raster/PixelStore.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace qv {

namespace {

#ifdef __linux__
constexpr size_t kHugePage = size_t(2) << 20;

size_t HugeLength(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }
#endif

}  // namespace

void* AllocatePixels(size_t bytes) {
  if (bytes == 0) bytes = 1;
#ifdef __linux__
  if (bytes >= kHugePixelBytes) {
    // Mapped with one huge page of slack, then cut to a huge-page boundary at both ends.
    const size_t length = HugeLength(bytes);
    void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t end = start + length + kHugePage;
    if (end > aligned + length) ::munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);  // a hint only
    return reinterpret_cast<void*>(aligned);
  }
#endif
  void* p = std::malloc(bytes);
  if (!p) throw std::bad_alloc();
  return p;
}

void FreePixels(void* p, size_t bytes) noexcept {
  if (!p) return;
#ifdef __linux__
  if (bytes >= kHugePixelBytes) {
    ::munmap(p, HugeLength(bytes));
    return;
  }
#endif
  std::free(p);
}

}  // namespace qv
