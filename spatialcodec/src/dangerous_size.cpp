#include "dangerous_size.h"

#include <atomic>

namespace brevan::spatial {
namespace {

std::atomic<SizeNotifier> currentNotifier{platformSizeNotifier};

}  // namespace

const char kDangerousSizeText[] = "Dangerous size";
const char kDangerousSizeCaption[] = "Dangerous Size";

SizeNotifier setSizeNotifier(SizeNotifier notifier) {
  return currentNotifier.exchange(notifier ? notifier : platformSizeNotifier);
}

void notifyDangerousSize() { currentNotifier.load()(kDangerousSizeText, kDangerousSizeCaption); }

}  // namespace brevan::spatial
