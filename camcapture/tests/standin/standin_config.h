// What the stand-in capture library does, read from the text file named by the environment
// variable BREVAN_CAPTURE_STANDIN (read again at each call of the library's functions, so a test
// may change it between cases). Every call is logged, one line each, to that path plus ".log".
//
//   driver <index> <connects 0|1> <name ...>   a driver and its description
//   format <compression> <bits> <width> <height> [image size]   the current format
//   accept <compression> <bits> <width> <height>   a format kVideoFormat takes (0 sides: any)
//   frames synthetic|blank|never|fail|late   how grabs answer
//   blankgrabs <n>   the first n frames of a window are blank
//   extrabytes <n>   frames hold n bytes more than the format says
//   latems <ms>      the delay of late frames
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brevan::camcapture::standin {

constexpr char kConfigVariable[] = "BREVAN_CAPTURE_STANDIN";

struct Driver {
  bool connects = false;
  std::string name;
};

struct Format {
  uint32_t compression = 0;
  int bits = 24;
  int width = 320;
  int height = 240;
  uint32_t imageSize = 0;
};

struct Config {
  std::map<int, Driver> drivers;
  Format format;
  std::vector<Format> accepted;
  std::string frames = "synthetic";
  int blankGrabs = 0;
  int extraBytes = 0;
  int lateMs = 200;
};

// The configuration of the file, or the defaults (no drivers) when there is none.
Config readConfig();
// Appends one line to the log.
void logLine(const std::string& line);

// The bytes of a synthetic frame: a pattern that differs from pixel to pixel and row to row.
std::vector<uint8_t> syntheticFrame(size_t bytes);

}  // namespace brevan::camcapture::standin
