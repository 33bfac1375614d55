#include "standin_config.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace brevan::camcapture::standin {
namespace {

std::string configPath() {
  // The process environment, where a test sets it (the C runtime's copy would not see that).
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(kConfigVariable, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? path : "";
}

uint32_t number(const std::string& text) { return uint32_t(std::strtoul(text.c_str(), nullptr, 0)); }

Format readFormat(std::istringstream& words) {
  std::string compression, bits, width, height, size;
  words >> compression >> bits >> width >> height >> size;
  return {number(compression), int(number(bits)), int(std::strtol(width.c_str(), nullptr, 0)),
          int(std::strtol(height.c_str(), nullptr, 0)), size.empty() ? 0 : number(size)};
}

}  // namespace

Config readConfig() {
  Config config;
  std::ifstream file(configPath());
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "driver") {
      int index = 0, connects = 0;
      words >> index >> connects;
      std::string name;
      std::getline(words >> std::ws, name);
      config.drivers[index] = {connects != 0, name};
    } else if (key == "format") {
      config.format = readFormat(words);
    } else if (key == "accept") {
      config.accepted.push_back(readFormat(words));
    } else if (key == "frames") {
      words >> config.frames;
    } else if (key == "blankgrabs") {
      words >> config.blankGrabs;
    } else if (key == "extrabytes") {
      words >> config.extraBytes;
    } else if (key == "latems") {
      words >> config.lateMs;
    }
  }
  return config;
}

void logLine(const std::string& line) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  const std::string path = configPath();
  if (path.empty()) return;
  std::ofstream(path + ".log", std::ios::app) << line << "\n";
}

std::vector<uint8_t> syntheticFrame(size_t bytes) {
  std::vector<uint8_t> frame(bytes);
  for (size_t i = 0; i < bytes; ++i) frame[i] = uint8_t(i * 7 + i / 97);
  return frame;
}

}  // namespace brevan::camcapture::standin
