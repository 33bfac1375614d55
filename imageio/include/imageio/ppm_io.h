// Binary PPM (P6, maxval 255): the simplest picture file that every viewer opens.
#pragma once

#include <string>

#include "imageio/png_io.h"

namespace brevan::imageio {

// False when the file cannot be written.
bool writePpm(const std::string& path, const RgbImage& image);

}  // namespace brevan::imageio
