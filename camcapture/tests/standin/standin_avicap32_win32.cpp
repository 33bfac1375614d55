// A stand-in "avicap32.dll" for tests: capGetDriverDescriptionA and capCreateCaptureWindowA
// under their plain names, and a capture window class that answers the capture messages from
// the configuration (standin_config.h) and calls the frame callback on its own thread, from
// inside the grab message as a real driver's window does (or later, or never).
#include <windows.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "standin_config.h"
#include "win32/capture_api_win32.h"

namespace {

using namespace brevan::camcapture::standin;
namespace api = brevan::camcapture::win32;

constexpr char kClassName[] = "BrevanStandinCapture";
constexpr UINT_PTR kLateTimer = 1;

// One capture window's state (a property of the window).
struct CaptureState {
  Config config;
  int connected = -1;
  api::FrameCallback callback = nullptr;
  int frames = 0;
  std::vector<uint8_t> frame;
};

HINSTANCE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

template <class... Parts>
void log(const Parts&... parts) {
  std::ostringstream line;
  ((line << parts << ' '), ...);
  std::string text = line.str();
  text.pop_back();
  logLine(text);
}

std::string hexText(uint32_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << value;
  return text.str();
}

// Uncompressed pixels take whole bytes; other formats count bits.
uint32_t imageBytes(const Format& format) {
  const uint64_t pixels = uint64_t(std::abs(format.width)) * uint64_t(std::abs(format.height));
  if (format.compression == 0) return uint32_t(pixels * ((uint64_t(format.bits) + 7) / 8));
  return uint32_t(pixels * uint64_t(format.bits) / 8);
}

BITMAPINFOHEADER headerOf(const Format& format) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = format.width;
  header.biHeight = format.height;
  header.biPlanes = 1;
  header.biBitCount = WORD(format.bits);
  header.biCompression = format.compression;
  header.biSizeImage = format.imageSize;
  return header;
}

bool accepts(const Config& config, const BITMAPINFOHEADER& header) {
  for (const Format& format : config.accepted) {
    if (format.compression == header.biCompression && format.bits == header.biBitCount &&
        (format.width == 0 || format.width == header.biWidth) &&
        (format.height == 0 || format.height == header.biHeight))
      return true;
  }
  return false;
}

void deliver(HWND window, CaptureState& state) {
  const Format& format = state.config.format;
  const size_t bytes = imageBytes(format) + size_t(std::max(0, state.config.extraBytes));
  const bool blank = state.config.frames == "blank" || state.frames < state.config.blankGrabs;
  ++state.frames;
  state.frame = blank ? std::vector<uint8_t>(bytes, 0x40) : syntheticFrame(bytes);
  api::FrameHeader header{};
  header.data = state.frame.data();
  header.bufferLength = DWORD(bytes);
  header.bytesUsed = DWORD(bytes);
  log("frame", bytes, blank ? "blank" : "synthetic");
  if (state.callback != nullptr) state.callback(window, &header);
}

LRESULT grab(HWND window, CaptureState& state) {
  // How frames come may change between grabs; the format stays the window's own.
  const Config now = readConfig();
  state.config.frames = now.frames;
  state.config.extraBytes = now.extraBytes;
  state.config.lateMs = now.lateMs;
  const std::string& mode = state.config.frames;
  const bool ok = state.connected >= 0 && mode != "fail";
  log("grab", ok ? 1 : 0);
  if (!ok) return 0;
  if (mode == "late") {
    SetTimer(window, kLateTimer, UINT(state.config.lateMs), nullptr);
  } else if (mode != "never") {
    deliver(window, state);
  }
  return 1;
}

LRESULT setFormat(CaptureState& state, WPARAM size, const BITMAPINFOHEADER* header) {
  if (header == nullptr || size < sizeof(BITMAPINFOHEADER)) return 0;
  state.config.accepted = readConfig().accepted;  // what is taken may change between calls
  const bool ok = state.connected >= 0 && accepts(state.config, *header);
  log("setformat", hexText(header->biCompression), header->biBitCount,
      header->biWidth, header->biHeight, header->biSizeImage, ok ? 1 : 0);
  if (ok) {
    state.config.format = {header->biCompression, header->biBitCount, header->biWidth,
                           header->biHeight, header->biSizeImage};
  }
  return ok ? 1 : 0;
}

LRESULT getFormat(CaptureState& state, WPARAM size, void* block) {
  log("getformat", size);
  if (state.connected < 0) return 0;
  const BITMAPINFOHEADER header = headerOf(state.config.format);
  if (block == nullptr || size == 0) return sizeof(header);
  const size_t copied = std::min(size_t(size), sizeof(header));
  std::memcpy(block, &header, copied);
  return LRESULT(copied);
}

LRESULT getStatus(CaptureState& state, WPARAM size, api::CaptureStatus* status) {
  log("status", size);
  if (state.connected < 0 || status == nullptr || size < sizeof(api::CaptureStatus)) return 0;
  *status = {};
  status->imageWidth = UINT(state.config.format.width);
  status->imageHeight = UINT(std::abs(state.config.format.height));
  return 1;
}

LRESULT connect(CaptureState& state, WPARAM index) {
  state.config = readConfig();
  const auto driver = state.config.drivers.find(int(index));
  const bool ok = driver != state.config.drivers.end() && driver->second.connects;
  if (ok) state.connected = int(index);
  log("connect", index, ok ? 1 : 0);
  return ok ? 1 : 0;
}

LRESULT CALLBACK captureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = static_cast<CaptureState*>(GetPropA(window, kClassName));
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case api::kDriverConnect:
      return connect(*state, wParam);
    case api::kDriverDisconnect: {
      const bool was = state->connected >= 0;
      state->connected = -1;
      log("disconnect", was ? 1 : 0);
      return was ? 1 : 0;
    }
    case api::kSetCallbackFrame:
      state->callback = reinterpret_cast<api::FrameCallback>(lParam);
      log("callback", lParam != 0 ? 1 : 0);
      return 1;
    case api::kGetVideoFormat:
      return getFormat(*state, wParam, reinterpret_cast<void*>(lParam));
    case api::kSetVideoFormat:
      return setFormat(*state, wParam, reinterpret_cast<const BITMAPINFOHEADER*>(lParam));
    case api::kGetStatus:
      return getStatus(*state, wParam, reinterpret_cast<api::CaptureStatus*>(lParam));
    case api::kGrabFrame:
      return grab(window, *state);
    case WM_TIMER:
      KillTimer(window, kLateTimer);
      deliver(window, *state);
      return 0;
    case WM_DESTROY:
      log("destroy");
      RemovePropA(window, kClassName);
      delete state;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool registerClassOnce() {
  static const bool registered = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = captureProcedure;
    windowClass.hInstance = thisModule();
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
  }();
  return registered;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI capGetDriverDescriptionA(UINT index, LPSTR name, int nameLength,
                                                LPSTR version, int versionLength) {
  const Config config = readConfig();
  const auto driver = config.drivers.find(int(index));
  const bool found = driver != config.drivers.end();
  log("describe", index, found ? 1 : 0);
  if (!found || name == nullptr || nameLength <= 0) return FALSE;
  lstrcpynA(name, driver->second.name.c_str(), nameLength);
  if (version != nullptr && versionLength > 0) lstrcpynA(version, "1.0", versionLength);
  return TRUE;
}

extern "C" __declspec(dllexport) HWND WINAPI capCreateCaptureWindowA(LPCSTR title, DWORD style, int x, int y, int width,
                                               int height, HWND parent, int id) {
  log("create", title != nullptr ? title : "", hexText(style), x, y, width,
      height, parent != nullptr ? 1 : 0, id);
  if (!registerClassOnce()) return nullptr;
  HWND window = CreateWindowExA(0, kClassName, title, style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), thisModule(), nullptr);
  if (window != nullptr) {
    auto* state = new CaptureState;
    state->config = readConfig();
    SetPropA(window, kClassName, state);
  }
  return window;
}
