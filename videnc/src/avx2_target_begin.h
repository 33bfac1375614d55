// Opens the AVX2 target for the functions that follow, where the compiler
// does not assume AVX2; simd_target_end.h closes it. Only functions whose
// calls a processor check guards belong inside: a file includes its other
// headers first and only the lane headers (internal linkage) after it.
// No include guard: a file includes it once.
#if !defined(__AVX2__)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#define VIDENC_SIMD_TARGET_PUSHED
#endif
