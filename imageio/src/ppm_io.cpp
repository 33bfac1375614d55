#include "imageio/ppm_io.h"

#include <fstream>

namespace brevan::imageio {

bool writePpm(const std::string& path, const RgbImage& image) {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  file.write(reinterpret_cast<const char*>(image.rgb.data()),
             static_cast<std::streamsize>(image.rgb.size()));
  file.close();
  return static_cast<bool>(file);
}

}  // namespace brevan::imageio
