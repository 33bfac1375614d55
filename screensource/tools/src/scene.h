// A recorded screen session for replay: the captured area, then for every packet cycle the
// reports the hooks would have posted and what the screen and the cursor showed.
//
// SCENEDIR/scene.txt holds one command a line; blank lines and lines starting with '#' are
// ignored; numbers are decimal, handles may also be written 0x...
//
//   area W H                 the captured area, at the screen origin (the first command)
//   bits B                   bits per colour, 1 .. 8 (3 until set), applied when met
//   arrow HANDLE             the handle of the standard arrow cursor
//   shape HANDLE HX HY FILE  a readable cursor: hotspot, and FILE (relative to SCENEDIR) of
//                            32 x 32 pixels, top row first, 4 bytes each (blue, green, red, 0),
//                            drawn on the key colour
//   badshape HANDLE          a cursor whose icon information cannot be read
//   cycle N                  starts cycle N (1, 2, 3, ...); its packet cycle runs at its end
//   window L T R B           a window report: a pixel rectangle straight into the queue
//   rectmsg L T R B          a rectangle message, packed and unpacked as hook and receiver do
//   cursormsg X Y            a cursor message, queued as a cursor-moved event
//   restart                  raise the pending-restart flag
//   frame FILE               what grabs read from now on: W x H pixels, top row first, 4 bytes
//                            each
//   cursor X Y HANDLE        cursor position and handle ("none": the handle could not be found)
//   local 0|1                the local-activity flag
//
// What a scene leaves unsaid: the frame is black, the cursor rests at (0, 0) showing the arrow,
// local activity is off, and the arrow (handle 0x10003 unless named) has a built-in shape unless
// the scene draws one. Frame, cursor and local activity hold until a later command changes them.
// Reports (window, rectmsg, cursormsg, restart) belong to a cycle; the other commands may also
// come before cycle 1. Handle 0 is the "none" handle and cannot name a shape. Coordinates lie
// within +-2^30, area sides within 1 .. 16320 (tile numbers travel in one byte).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "screen_access.h"

namespace brevan::screensource {

enum class SceneOp {
  kBits,
  kArrow,
  kShape,
  kBadShape,
  kWindow,
  kRectMsg,
  kCursorMsg,
  kRestart,
  kFrame,
  kCursor,
  kLocal,
};

struct SceneCommand {
  SceneOp op = SceneOp::kRestart;
  int line = 0;
  std::array<int, 4> numbers{};  // the numeric fields in the order written
  CursorHandle handle = kNoCursor;
  std::string file;   // frame: the path, read when the command is applied
  CursorShape shape;  // shape: read with the scene
};

struct Scene {
  int width = 0;
  int height = 0;
  std::vector<SceneCommand> setup;                // before cycle 1
  std::vector<std::vector<SceneCommand>> cycles;  // cycle N at index N - 1
};

struct SceneError {
  int line = 0;  // 0 when the fault is not on a line
  std::string reason;
};

constexpr int kShapeSide = 32;
// The largest area side: tile coordinates travel in one byte.
constexpr int kLargestSceneSide = 255 * 64;

// Reads SCENEDIR/scene.txt and the shape files it names. Frame files are checked for their size
// here and read when replayed. False with the line and the reason of the first fault.
bool readScene(const std::string& dir, Scene& scene, SceneError& error);

// Reads exactly `count` pixels of 4 bytes (blue, green, red, 0) from a file; false when the file
// cannot be read or holds another number of bytes.
bool readPixelFile(const std::string& path, size_t count, std::vector<uint32_t>& pixels,
                   std::string& reason);

}  // namespace brevan::screensource
