// Marks a loop-heavy function to be compiled for several x86-64
// instruction sets (AVX-512, AVX2 and the baseline); the widest that the
// processor has is picked when the program runs. Elsewhere the function
// is compiled once, for the target.
//
//   SORVEL_VECTOR_KERNEL(void, name, (const float* a, int32_t n), (a, n)) {
//     ... body ...
//   }
//
// Where the executable format has indirect functions (ELF), GCC's
// target_clones builds the copies and the loader picks one. Windows
// executables have none, so there the body becomes an always-inlined
// function, compiled into one copy per instruction set, and the function
// itself asks the processor (a load and a test, no system call) which to
// call. Every copy computes each lane as the scalar code does, so the
// results are the same whichever runs.
#ifndef SORVEL_COMMON_VECTOR_CLONES_H_
#define SORVEL_COMMON_VECTOR_CLONES_H_

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(_WIN32)

#define SORVEL_VECTOR_KERNEL(result, name, parameters, arguments)                 \
  static inline __attribute__((always_inline)) result name##_body parameters;     \
  __attribute__((target("arch=x86-64-v4"))) static result name##_v4 parameters {  \
    return name##_body arguments;                                                 \
  }                                                                               \
  __attribute__((target("avx2"))) static result name##_avx2 parameters {          \
    return name##_body arguments;                                                 \
  }                                                                               \
  static result name##_baseline parameters { return name##_body arguments; }      \
  result name parameters {                                                        \
    if (__builtin_cpu_supports("x86-64-v4")) return name##_v4 arguments;          \
    if (__builtin_cpu_supports("avx2")) return name##_avx2 arguments;             \
    return name##_baseline arguments;                                             \
  }                                                                               \
  static inline __attribute__((always_inline)) result name##_body parameters

#else

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SORVEL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define SORVEL_VECTOR_CLONES
#endif

#define SORVEL_VECTOR_KERNEL(result, name, parameters, arguments) \
  SORVEL_VECTOR_CLONES result name parameters

#endif

#endif  // SORVEL_COMMON_VECTOR_CLONES_H_
