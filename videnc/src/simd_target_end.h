// Closes the target that a *_target_begin.h header opened.
#if defined(VIDENC_SIMD_TARGET_PUSHED)
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#undef VIDENC_SIMD_TARGET_PUSHED
#endif
