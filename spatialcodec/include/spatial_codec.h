/*
 * SpatialCodec.dll: the palette image filter for native callers.
 *
 * Calling convention: __cdecl, exported under the plain names below (no
 * decoration). The JNI methods of the same library use the JNI convention;
 * these do not.
 *
 * Filters: an index 0..9 names a filter obtained with getImageFilterIndex.
 * A filter carries its palette from one image to the next, so the decoder's
 * filter must see the same images, in the same order and with the same bits
 * per colour, as the encoder's. Filters are not locked: one index must not be
 * used by two threads at once, and getting and releasing indexes must be
 * serialised by the caller.
 *
 * Buffers belong to the caller. These functions cannot see the size of the
 * caller's arrays, so the caller guarantees:
 *   - the rectangle pixels[offset + y*scanline + x], 0 <= x < width,
 *     0 <= y < height, lies inside the pixel buffer;
 *   - for encoding, `out` holds the coded image: at most
 *     n + 2*ceil(n/16) + 2 bytes for a pixel stream of n = 2 + 4*width*height
 *     bytes;
 *   - for decoding, coded[start..end) lies inside the coded buffer.
 * Everything else is checked. The decoder never writes more than
 * width*height pixels, whatever the stream holds.
 */
#ifndef SPATIAL_CODEC_H
#define SPATIAL_CODEC_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(SPATIAL_CODEC_BUILD)
#define SPATIAL_CODEC_API __declspec(dllexport)
#else
#define SPATIAL_CODEC_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result of encodeImageFilterFull and decodeImageFilterFull on failure. */
#define SPATIAL_CODEC_FAILURE (-1)

/*
 * Codes the rectangle, last row first, into out[0..] (always from index 0;
 * outPos is only added to the result). Returns outPos + coded length, or
 * SPATIAL_CODEC_FAILURE, the filter unchanged, when: pixels or out is null,
 * index is outside 0..9, width*height is 65,536 or more, or workSize is below
 * 2 + 4*width*height. An index whose slot is empty codes with a fresh filter
 * (3 bits per colour) that is dropped afterwards.
 */
SPATIAL_CODEC_API int __cdecl encodeImageFilterFull(const uint32_t* pixels, uint32_t offset,
                                                    uint32_t width, uint32_t height,
                                                    uint32_t scanline, uint8_t* out,
                                                    uint32_t outPos, int workSize, int index);

/*
 * Decodes coded[start..end) into the rectangle, first row first. Returns
 * width*height, or SPATIAL_CODEC_FAILURE, the filter and the pixels
 * unchanged, when: a pointer is null, end < start, index is outside 0..9,
 * width*height is 65,536 or more, or the stream is malformed or does not
 * hold exactly width*height pixels.
 */
SPATIAL_CODEC_API int __cdecl decodeImageFilterFull(const uint8_t* coded, uint32_t start,
                                                    uint32_t end, uint32_t* pixels, uint32_t offset,
                                                    uint32_t width, uint32_t height,
                                                    uint32_t scanline, int index);

/* The lowest free index, now holding a new filter (3 bits per colour); -1 when all 10 are taken. */
SPATIAL_CODEC_API int __cdecl getImageFilterIndex(void);

/* True if the index held a filter, which is freed. */
SPATIAL_CODEC_API bool __cdecl releaseImageFilterIndex(int index);

/* Back to the initial palette, bits per colour kept. No effect on an empty or invalid index. */
SPATIAL_CODEC_API void __cdecl resetImageFilterIndex(int index);

/* Bits per colour 1..8; other values, empty slots and invalid indexes are ignored. */
SPATIAL_CODEC_API void __cdecl setBitsPerColor(int bits, int index);

#ifdef __cplusplus
}
#endif

#endif
