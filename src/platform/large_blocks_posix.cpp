#include "platform/large_blocks.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

// Blocks smaller than this come from malloc: a huge page would not pay.
static const std::size_t LARGE = std::size_t{256} << 10;
static const std::size_t HUGE_PAGE = std::size_t{2} << 20;

static std::size_t whole_huge_pages(std::size_t bytes) {
  return (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
}

void* allocate_large_block(std::size_t bytes) {
  if (bytes < LARGE) return std::malloc(bytes == 0 ? 1 : bytes);
  if (bytes > static_cast<std::size_t>(-1) - 2 * HUGE_PAGE) return nullptr;
  // Mapped with a huge page to spare, then cut to a run of whole huge
  // pages on their boundaries.
  const std::size_t size = whole_huge_pages(bytes);
  void* mapped = mmap(nullptr, size + HUGE_PAGE, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  if (aligned > start) munmap(mapped, aligned - start);
  const uintptr_t end = start + size + HUGE_PAGE;
  if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
  void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  madvise(block, size, MADV_HUGEPAGE);  // a request: without huge pages, ordinary ones
#endif
  return block;
}

void free_large_block(void* block, std::size_t bytes) {
  if (block == nullptr) return;
  if (bytes < LARGE) return std::free(block);
  munmap(block, whole_huge_pages(bytes));
}
