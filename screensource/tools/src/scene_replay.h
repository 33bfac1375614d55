// Replays a scene through the real screen source: one UpdateSource over a FrameGrabber and a
// ScriptedCursor, with the cycle's limits lifted so that every cycle takes all it was given and
// reads the cursor.
#pragma once

#include <memory>
#include <vector>

#include "event_queue.h"
#include "packet_buffer.h"
#include "scene.h"
#include "scripted_screen.h"
#include "update_source.h"

namespace brevan::screensource {

class SceneReplay {
 public:
  static constexpr CursorHandle kDefaultArrow = 0x10003;

  // The source is created here, so its first cycle is a full refresh with the area record.
  SceneReplay(int width, int height);

  // Applies commands in order (reports go to the queue, the rest changes the screen, the
  // cursor or the source). False when a frame file can no longer be read.
  bool apply(const std::vector<SceneCommand>& commands, SceneError& error);
  // One packet cycle; true when `packet` holds a packet to deliver.
  bool runCycle(PacketBuffer& packet) { return source_->runCycle(packet); }

 private:
  bool apply(const SceneCommand& command, SceneError& error);
  void setArrow(CursorHandle handle);

  LocalQueueLock lock_;
  FrameGrabber* grabber_;
  ScriptedCursor* cursor_;
  std::unique_ptr<UpdateSource> source_;
  bool cursorHandleSet_ = false;  // until the scene names one, the cursor shows the arrow
};

// A plain arrow (black outline, white inside) on the key colour, hotspot at its tip.
CursorShape builtInArrow();

}  // namespace brevan::screensource
