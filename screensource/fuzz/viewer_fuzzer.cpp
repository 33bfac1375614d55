// Packets in any order and of any content against one viewer. The first two bytes choose the
// area (a valid area record starts the session), then each packet is a 16-bit big-endian length
// and that many bytes. A refused packet must leave the viewer exactly as it was.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "viewer/packet_viewer.h"
#include "viewer_snapshot.h"

using brevan::screensource::PacketViewer;
using brevan::screensource::test::ViewerSnapshot;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // One viewer for every input: the area record that starts each input empties the cache and
  // zeroes the tiles, so nothing of an earlier input can be reached. 4 x 4 tiles at most keep
  // the snapshots cheap.
  static PacketViewer viewer(256);
  const int width = 1 + data[0], height = 1 + data[1];
  const uint8_t area[] = {
      6, 0, uint8_t(width >> 8), uint8_t(width), uint8_t(height >> 8), uint8_t(height), 5};
  std::string error;
  if (!viewer.apply(area, sizeof area, error)) std::abort();
  for (size_t at = 2; at + 2 <= size;) {
    const size_t length = std::min<size_t>(size_t(data[at]) << 8 | data[at + 1], size - at - 2);
    const uint8_t* packet = data + at + 2;
    at += 2 + length;
    const ViewerSnapshot before(viewer);
    if (!viewer.apply(packet, length, error) && !(ViewerSnapshot(viewer) == before)) std::abort();
  }
  return 0;
}
