// Closes the target that sse2_target_begin.h or avx2_target_begin.h opened.
#if defined(VIDENC_SIMD_TARGET_PUSHED)
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#undef VIDENC_SIMD_TARGET_PUSHED
#endif
