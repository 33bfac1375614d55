// Reassembles framed messages from the bytes of a pipe, which arrive in reads of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brevan::ipclink {

class FrameAssembler {
 public:
  // Appends `count` bytes and takes out at most one complete frame. Returns true when
  // completed() now holds a message: N characters, the last of which is the frame's NUL.
  // `heldBytes` (optional) receives the bytes buffered before the message was taken out.
  bool add(const uint8_t* bytes, size_t count, size_t* heldBytes = nullptr);

  // Drops a frame in progress, so a cut-off frame is never completed with later bytes.
  void reset();

  const std::u16string& completed() const { return completedMessage_; }
  size_t bufferedBytes() const { return partialMessage_.size(); }
  bool lengthKnown() const { return lengthKnown_; }

 private:
  bool findLengthTag();

  std::vector<uint8_t> partialMessage_;
  bool lengthKnown_ = false;
  long long expectedMessageBytes_ = -1;
  std::u16string completedMessage_;
};

}  // namespace brevan::ipclink
