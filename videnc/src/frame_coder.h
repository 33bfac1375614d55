// Codes one frame as an absolute or relative packet and keeps the
// reconstruction that the viewer builds from the packets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bit_writer.h"
#include "planes.h"
#include "quantiser.h"
#include "still_blocks.h"

namespace brevan::videnc {

enum class PacketKind { Absolute, Relative };

class FrameCoder {
 public:
  // width and height must satisfy validFrameSize.
  FrameCoder(int width, int height);

  // Appends the packet (header and blocks) to out. frame holds
  // frameBytes(width, height) bytes; quant is 0..19.
  void code(PacketKind kind, const uint8_t* frame, int quant, BitWriter& out);

  const ReferencePlanes& reference() const { return reference_; }

  // Whether relative packets skip the transform of blocks that repeat a
  // block they sent as nothing (on by default; the packets are the same
  // either way, which the tests check with it off).
  void setStillBlockReuse(bool on) { reuseStillBlocks_ = on; }
  size_t repeatsInLastPacket() const { return still_.repeatsFound(); }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void codePlane(PacketKind kind, int plane, const uint8_t* frame, const QuantSteps& steps,
                 bool watching, BitWriter& out);
  // A block of a relative packet that repeats one sent as nothing.
  void codeRepeat(int plane, int bx, int by, const QuantSteps& steps, int32_t& dcPrediction,
                  BitWriter& out);

  int width_;
  int height_;
  ReferencePlanes reference_;
  StillBlocks still_;
  bool reuseStillBlocks_ = true;
};

// Relative-packet mode choice on 16 of the block's samples (even rows and
// columns): code the block by itself when its own spread is clearly below
// its distance from the reference.
bool chooseIntra(const int32_t* samples, const int32_t* reference, int stride);

}  // namespace brevan::videnc
