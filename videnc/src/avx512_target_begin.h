// Opens the AVX-512 (F and BW) target for the functions that follow, where
// the compiler does not assume it; simd_target_end.h closes it. Same rules
// as avx2_target_begin.h.
// No include guard: a file includes it once.
#if !defined(__AVX512BW__)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,avx512f,avx512bw"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw")
#endif
#define VIDENC_SIMD_TARGET_PUSHED
#endif
