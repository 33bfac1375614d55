#include "text_format.h"

namespace brevan::ipclink {

void FormatArg::appendTo(std::u16string& out, char conversion) const {
  if (conversion == 's' && text_) {
    out += text_;
    return;
  }
  out += fromAscii(std::to_string(text_ ? 0 : number_).c_str());
}

std::u16string formatText(const char* pattern, std::initializer_list<FormatArg> args) {
  std::u16string out;
  auto next = args.begin();
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      out += u'%';
      ++p;
    } else if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && next != args.end()) {
      next->appendTo(out, p[1]);
      ++next;
      ++p;
    } else {
      out += static_cast<char16_t>(static_cast<unsigned char>(*p));
    }
  }
  return out;
}

std::u16string prefixOf(const char16_t* text, size_t limit) {
  std::u16string out;
  for (size_t i = 0; text && i < limit && text[i]; ++i) out += text[i];
  return out;
}

std::u16string fromAscii(const char* text) {
  std::u16string out;
  for (; text && *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
  return out;
}

}  // namespace brevan::ipclink
