#pragma once

#include <windows.h>

#include <string>

#include "winhelpers/handles.h"

namespace brevan::hostutil::testing {

// The far end of a channel's pipe, played by the test: frames are "<LENGTH>N</LENGTH>", the
// body and a NUL, in UTF-16.
class PipePeer {
 public:
  // Opens an existing pipe, retrying while the channel has not created it yet.
  PipePeer(const std::wstring& name, DWORD access, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
      pipe_.reset(CreateFileW(name.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (pipe_) return;
      Sleep(20);
    }
  }
  PipePeer(const PipePeer&) = delete;
  PipePeer& operator=(const PipePeer&) = delete;
  bool open() const { return bool(pipe_); }
  void close() { pipe_.close(); }

  bool writeRaw(const std::u16string& text) {
    DWORD written = 0;
    const DWORD bytes = DWORD((text.size() + 1) * sizeof(char16_t));
    return WriteFile(pipe_.get(), text.c_str(), bytes, &written, nullptr) && written == bytes;
  }

  bool writeFrame(const std::u16string& body) {
    const std::string count = std::to_string(body.size() + 1);
    return writeRaw(u"<LENGTH>" + std::u16string(count.begin(), count.end()) + u"</LENGTH>" + body);
  }

  // Exactly count characters; fewer on a broken pipe.
  std::u16string readChars(size_t count) {
    std::u16string text(count, u'\0');
    size_t have = 0;
    while (have < count) {
      DWORD got = 0;
      if (!ReadFile(pipe_.get(), &text[have], DWORD((count - have) * sizeof(char16_t)), &got,
                    nullptr) ||
          got == 0) {
        break;
      }
      have += got / sizeof(char16_t);
    }
    text.resize(have);
    return text;
  }

  // Every character up to and including the frame's NUL, tag included; empty on a broken pipe.
  std::u16string readFrame() {
    std::u16string text;
    size_t expected = 0;
    size_t bodyStart = 0;
    for (;;) {
      if (expected == 0) {
        const size_t close = text.find(u"</LENGTH>");
        const size_t open = text.find(u"<LENGTH>");
        if (close != std::u16string::npos && open != std::u16string::npos) {
          std::string digits(text.begin() + open + 8, text.begin() + close);
          expected = size_t(std::stoul(digits.empty() ? "0" : digits));
          bodyStart = close + 9;
        }
      }
      if (expected != 0 && text.size() >= bodyStart + expected) {
        return text.substr(0, bodyStart + expected);
      }
      char16_t c = 0;
      DWORD got = 0;
      if (!ReadFile(pipe_.get(), &c, sizeof(c), &got, nullptr) || got != sizeof(c)) return {};
      text.push_back(c);
    }
  }

 private:
  brevan::win32::ScopedHandle pipe_;
};

}  // namespace brevan::hostutil::testing
