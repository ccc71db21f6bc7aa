#pragma once
// Byte buffers for volumes and their decoded pieces: left uninitialised (every byte is written
// when a volume or a piece is read; zeroing first would cost as much as decoding a fast codec)
// and, when large, backed by huge pages, which saves most of the page faults of touching
// hundreds of megabytes for the first time.

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

namespace lumetrix {

template <typename T>
struct LargeBufferAllocator {
  using value_type = T;
  static constexpr size_t kHugePage = size_t{2} << 20;
  static constexpr size_t kLarge = size_t{4} << 20;

  LargeBufferAllocator() = default;
  template <typename U>
  LargeBufferAllocator(const LargeBufferAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kLarge) {
      void* p = std::malloc(bytes ? bytes : 1);
      if (!p) throw std::bad_alloc();
      return static_cast<T*>(p);
    }
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
    ::madvise(p, rounded, MADV_HUGEPAGE);  // only advice: failure changes nothing
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) noexcept { std::free(p); }
  // Default-initialise: resize() leaves bytes as they are instead of zeroing them.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  bool operator==(const LargeBufferAllocator<U>&) const noexcept {
    return true;
  }
};

using SampleBuffer = std::vector<uint8_t, LargeBufferAllocator<uint8_t>>;

}  // namespace lumetrix
