#include "scene_replay.h"

#include "packet_format.h"
#include "report_messages.h"

namespace brevan::screensource {

SceneReplay::SceneReplay(int width, int height) {
  auto grabber = std::make_unique<FrameGrabber>(width, height);
  auto cursor = std::make_unique<ScriptedCursor>();
  grabber_ = grabber.get();
  cursor_ = cursor.get();
  setArrow(kDefaultArrow);
  source_ = std::make_unique<UpdateSource>(std::move(grabber), std::move(cursor), lock_);
  source_->liftCycleLimits();
}

bool SceneReplay::apply(const std::vector<SceneCommand>& commands, SceneError& error) {
  for (const SceneCommand& command : commands)
    if (!apply(command, error)) return false;
  return true;
}

bool SceneReplay::apply(const SceneCommand& c, SceneError& error) {
  const auto& n = c.numbers;
  switch (c.op) {
    case SceneOp::kBits:
      source_->setBitsPerColor(n[0]);
      break;
    case SceneOp::kArrow:
      setArrow(c.handle);
      break;
    case SceneOp::kShape:
      cursor_->addShape(c.handle, c.shape);
      break;
    case SceneOp::kBadShape:
      cursor_->removeShape(c.handle);
      break;
    case SceneOp::kWindow:
      source_->queue().addPixelRect(n[0], n[1], n[2], n[3]);
      break;
    case SceneOp::kRectMsg: {
      const ReportParams params = encodeRectangleMessage(n[0], n[1], n[2], n[3]);
      const PixelRect r = decodeRectangleMessage(params.wParam, params.lParam);
      source_->queue().addPixelRect(r.left, r.top, r.right, r.bottom);
      break;
    }
    case SceneOp::kCursorMsg: {
      const CursorPoint p = decodeCursorMessage(encodeCursorMessage(n[0], n[1]));
      source_->queue().queueEvent({kCursorMovedEvent, p.x, p.y, 0, 0});
      break;
    }
    case SceneOp::kRestart:
      source_->raisePendingRestartFlag();
      break;
    case SceneOp::kFrame: {
      std::string reason;
      if (!readPixelFile(c.file, grabber_->frame().size(), grabber_->frame(), reason)) {
        error = {c.line, "frame file \"" + c.file + "\": " + reason};
        return false;
      }
      break;
    }
    case SceneOp::kCursor:
      cursor_->setPosition(n[0], n[1]);
      cursor_->setHandle(c.handle);
      cursorHandleSet_ = true;
      break;
    case SceneOp::kLocal:
      cursor_->setLocalActivity(n[0] != 0);
      break;
  }
  return true;
}

void SceneReplay::setArrow(CursorHandle handle) {
  cursor_->setArrow(handle);
  if (!cursor_->hasShape(handle)) cursor_->addShape(handle, builtInArrow());
  if (!cursorHandleSet_) cursor_->setHandle(handle);
}

CursorShape builtInArrow() {
  constexpr int kSide = kShapeSide;
  constexpr int kLength = 17;  // rows of the arrow head
  CursorShape shape{kSide, kSide, 0, 0, std::vector<uint32_t>(kSide * kSide, kKeyColour)};
  for (int y = 0; y < kLength; ++y) {
    const int width = y < kLength - 1 ? y + 1 : kLength / 2;
    for (int x = 0; x < width; ++x) {
      const bool edge = x == 0 || x == width - 1 || y == kLength - 1;
      shape.pixels[y * kSide + x] = edge ? 0x00000000u : 0x00FFFFFFu;
    }
  }
  return shape;
}

}  // namespace brevan::screensource
