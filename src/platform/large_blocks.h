// Memory for the few arrays of megabytes that a run fills at once, such
// as the grid. Each page of fresh memory costs a fault on first touch,
// and a fault costs microseconds (tens of them in some virtual machines):
// the grid's 755 pages took longer than all its arithmetic. Where the
// system gives huge pages on request, such a block is laid on them, a
// fault for 2 MB; elsewhere it is ordinary memory.
#ifndef SORVEL_PLATFORM_LARGE_BLOCKS_H_
#define SORVEL_PLATFORM_LARGE_BLOCKS_H_

#include <cstddef>
#include <new>

/// `bytes` of memory aligned for any object, or null.
void* allocate_large_block(std::size_t bytes);

/// Gives back a block of `bytes` from allocate_large_block.
void free_large_block(void* block, std::size_t bytes);

/// An allocator for std::vector that takes its storage from the above.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* block = allocate_large_block(n * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* p, std::size_t n) { free_large_block(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const LargeBlockAllocator<U>&) const { return true; }
};

/// The same for arrays written in full before they are read: a vector
/// made or grown to a size leaves its new elements unset (trivial types),
/// so that each page is first touched where it is filled, by the thread
/// that fills it, and not by a pass that clears it first.
template <typename T>
struct UnsetLargeBlockAllocator : LargeBlockAllocator<T> {
  template <typename U>
  struct rebind {
    using other = UnsetLargeBlockAllocator<U>;
  };
  UnsetLargeBlockAllocator() = default;
  template <typename U>
  UnsetLargeBlockAllocator(const UnsetLargeBlockAllocator<U>&) {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
  }
};

#endif  // SORVEL_PLATFORM_LARGE_BLOCKS_H_
