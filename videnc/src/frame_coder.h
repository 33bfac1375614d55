// Codes one frame as an absolute or relative packet and keeps the
// reconstruction that the viewer builds from the packets.
#pragma once

#include <cstdint>

#include "bit_writer.h"
#include "planes.h"
#include "quantiser.h"

namespace videnc {

enum class PacketKind { Absolute, Relative };

class FrameCoder {
public:
    // width and height must satisfy validFrameSize.
    FrameCoder(int width, int height);

    // Appends the packet (header and blocks) to out. frame holds
    // frameBytes(width, height) bytes; quant is 0..19.
    void code(PacketKind kind, const uint8_t* frame, int quant, BitWriter& out);

    const ReferencePlanes& reference() const { return reference_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void codePlane(PacketKind kind, int plane, const uint8_t* frame, const QuantSteps& steps, BitWriter& out);

    int width_;
    int height_;
    ReferencePlanes reference_;
};

// Relative-packet mode choice on 16 of the block's samples (even rows and
// columns): code the block by itself when its own spread is clearly below
// its distance from the reference.
bool chooseIntra(const int32_t* samples, const int32_t* reference, int stride);

}  // namespace videnc
