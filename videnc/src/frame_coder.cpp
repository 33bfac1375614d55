#include "frame_coder.h"

#include "block_coder.h"
#include "block_samples.h"
#include "quantiser_sse2.h"
#include "reconstruction.h"
#include "simd_dispatch.h"
#include "transform.h"
#include "transform_sse2.h"

namespace videnc {
namespace {

// Levels of a block of samples and their nonzero mask; in 16-bit SSE2
// lanes from the samples to the divisions where the samples allow.
uint64_t transformAndQuantise(const int32_t* samples, const QuantSteps& steps, int32_t* levels) {
#if VIDENC_X86
    int16_t coeff16[64];
    if (sse2Enabled() && forwardDctSse2(samples, coeff16)) return quantiseBlockSse2(coeff16, steps, levels);
#endif
    int32_t coeff[64];
    forwardDctPlain(samples, coeff);
    return quantiseBlock(coeff, steps, levels);
}

// Levels of a block coded by itself, straight from the frame bytes.
uint64_t absoluteLevels(const uint8_t* src, int stride, int32_t bias, const QuantSteps& steps, int32_t* levels) {
#if VIDENC_X86
    if (sse2Enabled()) {
        int16_t coeff16[64];
        forwardDctBytesSse2(src, stride, bias, coeff16);
        return quantiseBlockSse2(coeff16, steps, levels);
    }
#endif
    int32_t samples[64];
    loadBlock(src, stride, bias, samples);
    return transformAndQuantise(samples, steps, levels);
}

// Levels of a block of a relative packet and its mode; the reference is
// read only.
uint64_t relativeLevels(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                        const QuantSteps& steps, int32_t* levels, bool* intra) {
#if VIDENC_X86
    int16_t input[64];
    if (sse2Enabled() && relativeInputSse2(src, stride, bias, reference, intra, input)) {
        int16_t coeff16[64];
        forwardDct16Sse2(input, coeff16);
        return quantiseBlockSse2(coeff16, steps, levels);
    }
#endif
    int32_t samples[64];
    loadBlock(src, stride, bias, samples);
    *intra = chooseIntra(samples, reference, stride);
    if (!*intra) subtractReference(reference, stride, samples);
    return transformAndQuantise(samples, steps, levels);
}

}  // namespace

bool chooseIntra(const int32_t* samples, const int32_t* reference, int stride) {
    return prefersIntra(intraSums(samples, reference, stride));
}

FrameCoder::FrameCoder(int width, int height) : width_(width), height_(height) { reference_.reset(width, height); }

void FrameCoder::code(PacketKind kind, const uint8_t* frame, int quant, BitWriter& out) {
    if (kind == PacketKind::Absolute) {
        out.put(1, 1);
        out.put(static_cast<uint32_t>(width_ / 8), 8);
        out.put(static_cast<uint32_t>(height_ / 8), 8);
    } else {
        out.put(0, 1);
        out.put(1, 1);
    }
    out.put(static_cast<uint32_t>(quant), 5);
    const QuantSteps steps(quant);
    for (int p = 0; p < kPlaneCount; ++p) codePlane(kind, p, frame, steps, out);
}

void FrameCoder::codePlane(PacketKind kind, int plane, const uint8_t* frame, const QuantSteps& steps, BitWriter& out) {
    const PlaneGeometry g = planeGeometry(plane, width_, height_);
    Plane& ref = reference_.plane[plane];
    int32_t levels[64];
    int32_t dcPrediction = 0;
    for (int by = 0; by < g.height / 8; ++by) {
        for (int bx = 0; bx < g.width / 8; ++bx) {
            const uint8_t* src = frame + g.offset + static_cast<size_t>(by) * 8 * g.width + bx * 8;
            int32_t* reference = ref.blockAt(bx, by);
            bool intra = true;
            uint64_t nonzero;
            if (kind == PacketKind::Absolute) {
                nonzero = absoluteLevels(src, g.width, g.bias, steps, levels);
            } else {
                nonzero = relativeLevels(src, g.width, g.bias, reference, steps, levels, &intra);
                out.putBit(intra);
            }
            writeBlock(out, levels, nonzero, dcPrediction);
            updateReference(intra, levels, nonzero, steps, reference, g.width);
        }
    }
}

}  // namespace videnc
