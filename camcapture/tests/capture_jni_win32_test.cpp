// CamCapture.dll as Java calls it, through the test JNI host, against the stand-in capture
// library (chosen over Wine's own with WINEDLLOVERRIDES) and, first, against Wine's own, which
// has no driver. The program runs its Wine-library cases, then starts itself again with the
// stand-in chosen for the rest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "frame_conversion.h"
#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"
#include "standin_config.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"
#include "win32/owner_window_win32.h"

namespace brevan::camcapture::test {
namespace {

using namespace std::chrono_literals;
using brevan::testsupport::waitUntil;
using Bytes = std::vector<uint8_t>;

// Marks the second run (Wine may keep its own variables out of a program's environment).
constexpr char kPassVariable[] = "BREVAN_CAPTURE_PASS";

bool standInChosen() { return GetEnvironmentVariableA(kPassVariable, nullptr, 0) > 0; }

brevan::jnitest::Library& captureLibrary() {
  static auto* library = new brevan::jnitest::Library("CamCapture");
  return *library;
}

template <class Function>
Function method(const char* name) {
  return captureLibrary().nativeMethod<Function>("ZemtraCaptureWindow", name);
}

HWND videoOutput() { return FindWindowA("ZmtrCap", "Video Output"); }

class CaptureJni : public testing::Test {
 protected:
  void SetUp() override {
    config = testsupport::scratchPath("standin.txt");
    SetEnvironmentVariableA(standin::kConfigVariable, config.c_str());
  }
  void TearDown() override {
    close();
    DeleteFileA(config.c_str());
    DeleteFileA((config + ".log").c_str());
  }

  void configure(const std::string& text) {
    std::ofstream(config, std::ios::trunc) << text;
    DeleteFileA((config + ".log").c_str());
  }
  std::vector<std::string> log() { return testsupport::readLines(config + ".log"); }
  bool logged(const std::string& line) {
    const auto lines = log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  size_t loggedCount(const std::string& prefix) {
    const auto lines = log();
    return size_t(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }

  bool construct(int driver, int width, int height, bool show) {
    using Call = jboolean(JNICALL*)(JNIEnv*, jobject, jint, jint, jint, jboolean);
    return method<Call>("ZemtraCaptureWindowNative")(env, nullptr, driver, width, height, show);
  }
  jint driverCount() {
    return method<jint(JNICALL*)(JNIEnv*, jobject)>("getDriverListCount")(env, nullptr);
  }
  std::u16string driverName(int driver) {
    using Call = jstring(JNICALL*)(JNIEnv*, jobject, jint);
    return jvm.stringValue(method<Call>("getDriverName")(env, nullptr, driver));
  }
  bool grabColour(jintArray array) {
    return method<jboolean(JNICALL*)(JNIEnv*, jobject, jintArray)>("captureColorData")(env, nullptr, array);
  }
  bool grabBytes(const char* name, jbyteArray array) {
    return method<jboolean(JNICALL*)(JNIEnv*, jobject, jbyteArray)>(name)(env, nullptr, array);
  }
  bool grabSizedBytes(const char* name, jbyteArray array, int w, int h) {
    using Call = jboolean(JNICALL*)(JNIEnv*, jobject, jbyteArray, jint, jint);
    return method<Call>(name)(env, nullptr, array, w, h);
  }
  bool grabSizedColour(jintArray array, int w, int h) {
    using Call = jboolean(JNICALL*)(JNIEnv*, jobject, jintArray, jint, jint);
    return method<Call>("captureSizedColorData")(env, nullptr, array, w, h);
  }
  bool resize(int w, int h, bool window) {
    using Call = jboolean(JNICALL*)(JNIEnv*, jobject, jint, jint, jboolean);
    return method<Call>("resize")(env, nullptr, w, h, window);
  }
  void show(bool visible) {
    method<void(JNICALL*)(JNIEnv*, jobject, jboolean)>("showWindow")(env, nullptr, visible);
  }
  jint disconnect() {
    return method<jint(JNICALL*)(JNIEnv*, jobject)>("disconnectCaptureWindow")(env, nullptr);
  }
  void close() { method<void(JNICALL*)(JNIEnv*, jobject)>("closeWindow")(env, nullptr); }

  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  std::string config;
};

// What the conversion makes of the stand-in's synthetic frame of this format.
Bytes expected(FrameKind kind, const FrameFormat& format) {
  const FrameLayout layout = frameLayout(kind, format);
  const Bytes frame = standin::syntheticFrame(size_t(layout.frameBytes));
  std::vector<uint32_t> out(size_t(layout.destinationBytes + 3) / 4);
  EXPECT_EQ(convertFrame(kind, format, frame.data(), frame.size(), out.data(), layout.destinationBytes),
            Conversion::converted);
  const auto* bytes = reinterpret_cast<const uint8_t*>(out.data());
  return Bytes(bytes, bytes + layout.destinationBytes);
}

Bytes asBytes(const std::vector<jint>& ints) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(ints.data());
  return Bytes(bytes, bytes + ints.size() * 4);
}

constexpr char kOneCamera[] =
    "driver 0 1 Test Camera\nformat 0 24 160 120\naccept 0 24 0 0\n";

TEST_F(CaptureJni, DriverListAndNames) {
  configure("driver 0 1 First\ndriver 1 0 Second\ndriver 3 1 After a gap\n");
  EXPECT_EQ(driverCount(), 2);
  EXPECT_EQ(driverName(1), u"Second");
  EXPECT_EQ(driverName(2), u"");
  std::string many;
  for (int i = 0; i < 12; ++i) many += "driver " + std::to_string(i) + " 1 Camera\n";
  configure(many);
  EXPECT_EQ(driverCount(), 10);
  // A name in the ANSI code page reaches Java as its characters, not as raw bytes.
  if (GetACP() == 1252) {
    configure("driver 0 1 Cam\xE9ra \x80\n");
    EXPECT_EQ(driverName(0), u"Cam\u00E9ra \u20AC");
  }
}

// One whole session: construction, grabs in all four kinds, a sized grab, resize, show,
// disconnect and close, checked against the windows and the stand-in's log.
TEST_F(CaptureJni, SessionFromConstructionToClose) {
  configure(kOneCamera);
  ASSERT_TRUE(construct(0, 160, 120, true));
  HWND owner = videoOutput();
  ASSERT_NE(owner, nullptr);
  RECT rect{};
  GetWindowRect(owner, &rect);
  const SIZE outer = win32::ownerWindowSize(160, 120);
  EXPECT_EQ(rect.left, 400);
  EXPECT_EQ(rect.top, 10);
  EXPECT_EQ(rect.right - rect.left, outer.cx);
  EXPECT_EQ(rect.bottom - rect.top, outer.cy);
  EXPECT_TRUE(IsWindowVisible(owner));
  HWND child = GetWindow(owner, GW_CHILD);
  ASSERT_NE(child, nullptr);
  const auto created = log();
  ASSERT_FALSE(created.empty());
  EXPECT_EQ(created[0].substr(0, created[0].rfind(' ')), "create Capture Window 0x50000000 0 0 160 120 1");
  EXPECT_TRUE(logged("connect 0 1"));
  EXPECT_TRUE(logged("callback 1"));
  EXPECT_EQ(loggedCount("setformat"), 0u);  // the format already had the size

  const FrameFormat format{kUncompressed, 24, 160, 120};
  jintArray colour = jvm.newIntArray(std::vector<jint>(160 * 120));
  ASSERT_TRUE(grabColour(colour));
  EXPECT_EQ(asBytes(jvm.ints(colour)), expected(FrameKind::colour, format));
  const struct {
    const char* method;
    FrameKind kind;
  } kinds[] = {{"captureBWData", FrameKind::blackWhite},
               {"captureYUVData", FrameKind::yuv},
               {"captureYUV22Data", FrameKind::yuv22}};
  for (const auto& kind : kinds) {
    const Bytes want = expected(kind.kind, format);
    jbyteArray array = jvm.newByteArray(Bytes(want.size()));
    EXPECT_TRUE(grabBytes(kind.method, array)) << kind.method;
    EXPECT_EQ(jvm.bytes(array), want) << kind.method;
  }

  // A sized grab sets the size, grabs, and sets the old size back.
  configure(std::string(kOneCamera));
  jintArray small = jvm.newIntArray(std::vector<jint>(80 * 60));
  ASSERT_TRUE(grabSizedColour(small, 80, 60));
  EXPECT_EQ(asBytes(jvm.ints(small)), expected(FrameKind::colour, {kUncompressed, 24, 80, 60}));
  EXPECT_TRUE(logged("setformat 0x0 24 80 60 14400 1"));
  EXPECT_TRUE(logged("setformat 0x0 24 160 120 57600 1"));
  const struct {
    const char* method;
    FrameKind kind;
  } sizedKinds[] = {{"captureSizedBWData", FrameKind::blackWhite},
                    {"captureSizedYUVData", FrameKind::yuv},
                    {"captureSizedYUV22Data", FrameKind::yuv22}};
  for (const auto& kind : sizedKinds) {
    const Bytes want = expected(kind.kind, {kUncompressed, 24, 80, 60});
    jbyteArray array = jvm.newByteArray(Bytes(want.size()));
    EXPECT_TRUE(grabSizedBytes(kind.method, array, 80, 60)) << kind.method;
    EXPECT_EQ(jvm.bytes(array), want) << kind.method;
  }
  jbyteArray sizedBw = jvm.newByteArray(Bytes(160 * 120));
  configure(kOneCamera);
  EXPECT_TRUE(grabSizedBytes("captureSizedBWData", sizedBw, 160, 120));  // the current size
  EXPECT_EQ(loggedCount("setformat"), 0u);
  // A size no format takes: the grab still happens at the current size, and the result is false.
  configure("driver 0 1 Test Camera\nformat 0 24 160 120\naccept 0 24 160 120\n");
  EXPECT_FALSE(grabSizedBytes("captureSizedBWData", sizedBw, 80, 60));
  EXPECT_EQ(loggedCount("grab"), 1u);
  EXPECT_EQ(jvm.bytes(sizedBw), expected(FrameKind::blackWhite, format));
  configure(kOneCamera);

  ASSERT_TRUE(resize(200, 100, true));
  EXPECT_TRUE(logged("setformat 0x0 24 200 100 60000 1"));
  GetWindowRect(owner, &rect);
  EXPECT_EQ(rect.right - rect.left, win32::ownerWindowSize(200, 100).cx);
  GetClientRect(child, &rect);
  EXPECT_EQ(rect.right, 200);
  EXPECT_EQ(rect.bottom, 100);
  configure(kOneCamera);
  ASSERT_TRUE(resize(200, 60, false));  // a change of height alone is a change
  EXPECT_TRUE(logged("setformat 0x0 24 200 60 36000 1"));
  EXPECT_FALSE(resize(0, 60, false));

  show(false);
  EXPECT_TRUE(waitUntil(2s, [&] { return !IsWindowVisible(owner); }));
  show(true);
  EXPECT_TRUE(waitUntil(2s, [&] { return IsWindowVisible(owner) != FALSE; }));

  EXPECT_EQ(disconnect(), 1);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_TRUE(logged("disconnect 1"));
  EXPECT_FALSE(grabColour(colour));
  EXPECT_FALSE(resize(160, 120, false));
  close();
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_EQ(disconnect(), 0);
  EXPECT_FALSE(grabColour(colour));
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(CaptureJni, SetSizeFallsBackToTheFirstFormatTheDriverTakes) {
  configure("driver 0 1 Cam\nformat 0x47504A4D 24 320 240\naccept 0 15 160 120\n");
  ASSERT_TRUE(construct(0, 160, 120, false));
  const auto lines = log();
  std::vector<std::string> tried;
  for (const auto& line : lines)
    if (line.rfind("setformat", 0) == 0) tried.push_back(line);
  EXPECT_EQ(tried, (std::vector<std::string>{"setformat 0x30323449 12 160 120 28800 0",
                                             "setformat 0x0 15 160 120 38400 1"}));
  jbyteArray bw = jvm.newByteArray(Bytes(160 * 120));
  EXPECT_TRUE(grabBytes("captureBWData", bw));
  EXPECT_EQ(jvm.bytes(bw), expected(FrameKind::blackWhite, {kUncompressed, 15, 160, 120}));
}

TEST_F(CaptureJni, FailedConstructionsLeaveNoWindowBehind) {
  const struct {
    const char* label;
    std::string config;
    int width;
  } cases[] = {
      {"driver does not connect", "driver 0 0 Cam\nformat 0 24 160 120\naccept 0 24 0 0\n", 160},
      {"no format accepted", "driver 0 1 Cam\nformat 0x47504A4D 24 320 240\n", 160},
      {"blank frames", std::string(kOneCamera) + "blankgrabs 10\n", 160},
      {"frames never come", std::string(kOneCamera) + "frames fail\n", 160},
      {"no size", kOneCamera, 0},
  };
  for (const auto& c : cases) {
    configure(c.config);
    EXPECT_FALSE(construct(0, c.width, 120, true)) << c.label;
    EXPECT_EQ(videoOutput(), nullptr) << c.label;
    if (c.width > 0) {
      EXPECT_TRUE(logged("destroy")) << c.label;
    }
  }
  EXPECT_EQ(loggedCount("getformat"), 0u);  // the size was refused before any message
  configure(std::string(kOneCamera) + "blankgrabs 10\n");
  EXPECT_FALSE(construct(0, 160, 120, false));
  EXPECT_EQ(loggedCount("grab"), 10u);
  configure(std::string(kOneCamera) + "blankgrabs 9\n");
  EXPECT_TRUE(construct(0, 160, 120, false));
}

TEST_F(CaptureJni, ASecondConstructionClosesTheFirst) {
  configure(kOneCamera);
  ASSERT_TRUE(construct(0, 160, 120, false));
  HWND first = videoOutput();
  ASSERT_TRUE(construct(0, 160, 120, false));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(logged("disconnect 1"));
  EXPECT_NE(videoOutput(), nullptr);
}

// Frames that do not come, come too late, or do not fit: false, and the array as it was.
TEST_F(CaptureJni, GrabsThatCannotDeliverReturnFalseAndLeaveTheArray) {
  configure(std::string(kOneCamera) + "extrabytes 5000\n");
  ASSERT_TRUE(construct(0, 160, 120, false));
  const std::vector<jint> untouched(160 * 120, 0x11);
  jintArray colour = jvm.newIntArray(untouched);

  configure(std::string(kOneCamera) + "frames fail\n");
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(grabColour(colour));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

  configure(std::string(kOneCamera) + "frames never\n");
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(grabColour(colour));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 4s);
  EXPECT_LT(waited, 8s);

  configure(std::string(kOneCamera) + "frames late\nlatems 5300\n");
  EXPECT_FALSE(grabColour(colour));
  EXPECT_TRUE(waitUntil(3s, [&] { return loggedCount("frame") > 0; }));
  EXPECT_EQ(jvm.ints(colour), untouched);

  configure(kOneCamera);
  jintArray shortArray = jvm.newIntArray(std::vector<jint>(160 * 120 - 1, 0x11));
  EXPECT_FALSE(grabColour(shortArray));
  EXPECT_EQ(jvm.ints(shortArray), std::vector<jint>(160 * 120 - 1, 0x11));
  EXPECT_FALSE(grabColour(nullptr));
  EXPECT_FALSE(grabBytes("captureYUVData", nullptr));
  // A frame larger than the format is fine: the format says what is read.
  configure(std::string(kOneCamera) + "extrabytes 777\n");
  EXPECT_TRUE(grabColour(colour));
  EXPECT_EQ(jvm.pinnedBuffers(), 0u);
}

TEST_F(CaptureJni, FullChromaFramesAreConvertedOnlyWhenTheyHoldWhatIsRead) {
  // 0x33333333 at 12 bits: the frame is 1.5 N bytes, the colour formula reads 2 N + N / 4.
  const std::string camera =
      "driver 0 1 Cam\nformat 0x33333333 12 160 120\naccept 0x33333333 12 0 0\n";
  configure(camera + "extrabytes 14400\n");
  ASSERT_TRUE(construct(0, 160, 120, false));
  configure(camera);
  const std::vector<jint> untouched(160 * 120, 0x22);
  jintArray colour = jvm.newIntArray(untouched);
  EXPECT_FALSE(grabColour(colour));
  EXPECT_EQ(jvm.ints(colour), untouched);
  // Not converted at all for the byte kinds.
  jbyteArray bw = jvm.newByteArray(Bytes(160 * 120, 3));
  EXPECT_FALSE(grabBytes("captureBWData", bw));
  EXPECT_EQ(jvm.bytes(bw), Bytes(160 * 120, 3));
}

// Wine's own avicap32 has no driver.
TEST_F(CaptureJni, WineLibraryHasNoDriver) {
  EXPECT_EQ(driverCount(), 0);
  EXPECT_EQ(driverName(0), u"");
  EXPECT_FALSE(construct(0, 160, 120, true));
  EXPECT_EQ(videoOutput(), nullptr);
}

// This program's command line without its own name.
std::wstring argumentsOfThisRun() {
  const std::wstring line = GetCommandLineW();
  size_t end = 0;
  if (!line.empty() && line[0] == L'"') {
    end = line.find(L'"', 1);
    end = end == std::wstring::npos ? line.size() : end + 1;
  } else {
    end = std::min(line.find(L' '), line.size());
  }
  return line.substr(end);
}

// The same program again, with the stand-in chosen for it; its exit status is the result.
// WINEDLLOVERRIDES set here would not reach the child (Wine reads it from the environment it was
// started with), so the choice goes into the prefix's per-program overrides for the child's run.
int runWithStandIn() {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  const std::wstring path(program);
  const std::wstring key = L"Software\\Wine\\AppDefaults\\" + path.substr(path.find_last_of(L"\\/") + 1) +
                           L"\\DllOverrides";
  HKEY overrides = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &overrides, nullptr) != ERROR_SUCCESS)
    return 1;
  const wchar_t order[] = L"native,builtin";
  RegSetValueExW(overrides, L"avicap32", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
  RegCloseKey(overrides);
  SetEnvironmentVariableA(kPassVariable, "standin");
  int result = 1;
  {
    testsupport::ChildProcess child(path, argumentsOfThisRun());
    if (child.started()) result = child.wait(150000);
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  return result;
}

}  // namespace
}  // namespace brevan::camcapture::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  using brevan::camcapture::test::standInChosen;
  const bool standIn = standInChosen();
  const std::string filter = testing::GTEST_FLAG(filter);
  const std::string wineCases = "*WineLibraryHasNoDriver*";
  if (!standIn) testing::GTEST_FLAG(filter) = wineCases;
  else testing::GTEST_FLAG(filter) = filter + "-" + wineCases;
  const int result = RUN_ALL_TESTS();
  if (standIn) return result;
  const int standInResult = brevan::camcapture::test::runWithStandIn();
  return result != 0 ? result : standInResult;
}
