#include "platform/large_blocks.h"

#include <cstdlib>

// Large pages on Windows need a privilege that programs seldom hold: the
// blocks are ordinary memory.
void* allocate_large_block(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

void free_large_block(void* block, std::size_t) { std::free(block); }
