// Pipe bytes from outside: the reassembler and the length-tag scanner must take any of them.
// Frames that come out must be exactly as long as their tag said.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frame_assembler.h"
#include "framing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brevan::ipclink::FrameAssembler assembler;
  size_t at = 0;
  while (at < size) {
    size_t n = 1 + (data[at] % 64);
    if (n > size - at) n = size - at;
    for (bool done = assembler.add(data + at, n); done; done = assembler.add(nullptr, 0)) {
      if (assembler.completed().size() > size) std::abort();
    }
    at += n;
  }
  std::u16string text(size / 2 + 1, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2)
    text[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  int position = -1;
  int length = brevan::ipclink::lengthFromTag(text.c_str(), &position);
  if (length >= 0 && (position < 17 || static_cast<size_t>(position) > text.size())) std::abort();
  if ((length >= 0) != brevan::ipclink::containsLengthTag(text.c_str())) std::abort();
  return 0;
}
