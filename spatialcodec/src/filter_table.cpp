#include "filter_table.h"

namespace brevan::spatial {

FilterTable& FilterTable::process() {
  // Filters live until released; what is left goes with the library.
  static FilterTable table;
  return table;
}

int FilterTable::acquire() {
  for (int i = 0; i < kSlots; ++i) {
    if (!slots_[i]) {
      slots_[i] = std::make_unique<ImageFilter>();
      return i;
    }
  }
  return -1;
}

bool FilterTable::release(int index) {
  if (!find(index)) return false;
  slots_[index].reset();
  return true;
}

void FilterTable::reset(int index) {
  if (ImageFilter* filter = find(index)) filter->reset();
}

void FilterTable::setBitsPerColor(int bits, int index) {
  if (ImageFilter* filter = find(index)) filter->setBitsPerColor(bits);
}

ImageFilter* FilterTable::find(int index) {
  return validIndex(index) ? slots_[index].get() : nullptr;
}

}  // namespace brevan::spatial
