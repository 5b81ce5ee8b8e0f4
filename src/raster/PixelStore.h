#pragma once
// The storage of picture pixels: a std::vector allocator that leaves new elements
// uninitialised (a bitmap fills what it means to fill, once) and gives pictures of
// kHugePixelBytes and more memory that the system may back with huge pages, so that the
// first touch of a picture of hundreds of megabytes costs hundreds of page faults instead of
// tens of thousands.
#include <cstddef>
#include <new>
#include <utility>

namespace qv {

constexpr size_t kHugePixelBytes = size_t(32) << 20;

// Throws std::bad_alloc.
void* AllocatePixels(size_t bytes);
// bytes as passed to AllocatePixels.
void FreePixels(void* p, size_t bytes) noexcept;

template <typename T>
class PixelAllocator {
 public:
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) noexcept {}

  T* allocate(size_t n) { return static_cast<T*>(AllocatePixels(n * sizeof(T))); }
  void deallocate(T* p, size_t n) noexcept { FreePixels(p, n * sizeof(T)); }

  // resize() without a value leaves the new elements as they come.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
};

}  // namespace qv
