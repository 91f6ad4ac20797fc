// The bits of one value read as another type of the same size. The C++
// libraries of some toolchains we build with (emscripten's) lack
// std::bit_cast; the compilers' own built-in is what std::bit_cast is
// made of where it exists.
#ifndef SORVEL_COMMON_BIT_CAST_H_
#define SORVEL_COMMON_BIT_CAST_H_

template <typename To, typename From>
constexpr To bit_cast_to(const From& from) {
  static_assert(sizeof(To) == sizeof(From));
  return __builtin_bit_cast(To, from);
}

#endif  // SORVEL_COMMON_BIT_CAST_H_
