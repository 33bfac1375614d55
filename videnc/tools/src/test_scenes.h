// Frame sequences for tests, benchmarks and demonstrations: a synthetic
// moving scene, a camera pan over a natural picture of this machine, and
// that picture held still with the pan playing in a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rgb_yuv.h"

namespace brevan::videnc {

// Planar 4:2:0 frame `index` of a scene with a drifting gradient, a moving
// textured disc, moving bars and fine stripes.
std::vector<uint8_t> syntheticFrame(int width, int height, int index);

// A slow pan with a gentle zoom across a picture, bilinearly sampled.
class PanSequence {
 public:
  PanSequence(const RgbImage& picture, int width, int height);
  std::vector<uint8_t> frame(int index) const;

 private:
  double sample(const std::vector<float>& plane, int w, int h, double x, double y) const;

  int width_, height_;
  int pictureWidth_, pictureHeight_;
  std::vector<float> y_, u_, v_;  // full resolution
  double scale_;                  // picture pixels per frame pixel
};

// A still picture with a moving one in a window over it, as on a screen
// where one window plays a video: `still` outside the window, `moving`
// inside (frames of width x height). The window covers the middle half of
// each side, its edges off the 8x8 block grid.
std::vector<uint8_t> windowFrame(const std::vector<uint8_t>& still,
                                 const std::vector<uint8_t>& moving, int width, int height);

// The first readable picture among the VIDENC_PICTURE environment variable
// and a few photographs that this machine's packages ship; false if none.
bool loadMachinePicture(RgbImage& picture, std::string& path);

}  // namespace brevan::videnc
