// Marks a loop-heavy function to be compiled for several x86-64
// instruction sets (AVX-512, AVX2 and the baseline); the widest that the
// processor has is picked when the program starts. Elsewhere the function
// is compiled once, for the target.
#ifndef SORVEL_COMMON_VECTOR_CLONES_H_
#define SORVEL_COMMON_VECTOR_CLONES_H_

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SORVEL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define SORVEL_VECTOR_CLONES
#endif

#endif  // SORVEL_COMMON_VECTOR_CLONES_H_
