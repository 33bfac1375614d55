#include "frame_assembler.h"

#include <cstring>

#include "framing.h"

namespace brevan::ipclink {

bool FrameAssembler::add(const uint8_t* bytes, size_t count, size_t* heldBytes) {
  if (count) partialMessage_.insert(partialMessage_.end(), bytes, bytes + count);
  if (!lengthKnown_ && !findLengthTag()) return false;
  if (static_cast<long long>(partialMessage_.size()) < expectedMessageBytes_) return false;

  if (heldBytes) *heldBytes = partialMessage_.size();
  size_t messageBytes = static_cast<size_t>(expectedMessageBytes_);
  completedMessage_.assign(messageBytes / 2, u'\0');
  std::memcpy(&completedMessage_[0], partialMessage_.data(), completedMessage_.size() * 2);
  partialMessage_.erase(partialMessage_.begin(), partialMessage_.begin() + messageBytes);
  expectedMessageBytes_ = 0;
  lengthKnown_ = false;
  return true;
}

void FrameAssembler::reset() {
  partialMessage_.clear();
  lengthKnown_ = false;
  expectedMessageBytes_ = -1;
}

bool FrameAssembler::findLengthTag() {
  // The buffer is searched as UTF-16 text; the copy ends in a NUL character of its own.
  std::u16string text(partialMessage_.size() / 2 + 1, u'\0');
  std::memcpy(&text[0], partialMessage_.data(), (partialMessage_.size() / 2) * 2);
  int position = 0;
  int length = lengthFromTag(text.c_str(), &position);
  if (length < 0) return false;
  expectedMessageBytes_ = 2LL * length;
  partialMessage_.erase(partialMessage_.begin(), partialMessage_.begin() + 2 * position);
  lengthKnown_ = true;
  return true;
}

}  // namespace brevan::ipclink
