#include "service_sender.h"

namespace brevan::ipclink {
namespace {

constexpr char16_t kServiceName[] = u"brevanservice";
constexpr int kServiceNameLength = sizeof kServiceName / sizeof kServiceName[0] - 1;

bool mayStandFor(char16_t c, char16_t lowerLetter) {
  if (c >= 0x80) return true;
  if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return c == lowerLetter;
}

}  // namespace

bool mayComeFromService(const char16_t* text) {
  if (!text) return false;
  for (const char16_t* p = text; *p; ++p) {
    if (*p == u'&') return true;
    int matched = 0;  // the NUL matches no letter, so the window never runs past the end
    while (matched < kServiceNameLength && mayStandFor(p[matched], kServiceName[matched])) {
      ++matched;
    }
    if (matched == kServiceNameLength) return true;
  }
  return false;
}

}  // namespace brevan::ipclink
