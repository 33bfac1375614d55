// The real panel under Wine, with recorders in place of the controller and the launcher and a
// listener on the signal port. Runs inside a network namespace with only loopback up (see
// wine-in-netns.sh), where the local host name resolves to 127.0.0.1.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imageio/png_io.h"
#include "panel_window_win32.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/wait.h"
#include "winhelpers/gdi.h"
#include "winhelpers/handles.h"

namespace brevan::statuspanel {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using brevan::testsupport::programDirectory;
using brevan::testsupport::readReport;
using brevan::testsupport::waitUntil;
using Clock = std::chrono::steady_clock;

// The build's paths are Unix paths, seen under Wine's drive Z.
std::string windowsPath(const char* unixPath) {
  std::string path = "Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? '\\' : *c;
  return path;
}

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A panel beside two recorders, in a directory whose name holds "start".
class PanelDirectory {
 public:
  explicit PanelDirectory(const std::string& name)
      : path_(programDirectory() + "\\restart-panel-" + std::to_string(GetCurrentProcessId()) +
              "-" + name) {
    CreateDirectoryA(path_.c_str(), nullptr);
    const std::wstring recorder = wide(programDirectory() + "\\statuspanel_recorder.exe");
    copy(wide(windowsPath(BREVAN_DIST_DIR "/StatusPanel.exe")), "StatusPanel.exe");
    copy(recorder, "BrevanController.exe");
    copy(recorder, "BrevanLauncher.exe");
    removeLogs();
  }
  ~PanelDirectory() {
    removeLogs();
    for (const char* file : {"StatusPanel.exe", "BrevanController.exe", "BrevanLauncher.exe"}) {
      DeleteFileA((path_ + "\\" + file).c_str());
    }
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }
  std::wstring widePath() const { return wide(path_); }
  std::string log(const char* program) const { return path_ + "\\" + program + ".log"; }

 private:
  void copy(const std::wstring& from, const char* to) {
    ASSERT_TRUE(CopyFileW(from.c_str(), wide(path_ + "\\" + to).c_str(), FALSE)) << to;
  }
  void removeLogs() {
    DeleteFileA(log("BrevanController").c_str());
    DeleteFileA(log("BrevanLauncher").c_str());
  }
  std::string path_;
};

// The panel started with a command line as it stands, killed if a test lets go of it running.
class PanelProcess {
 public:
  PanelProcess(const PanelDirectory& directory, std::wstring commandLine,
               const std::wstring& workingDirectory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring program = directory.widePath() + L"\\StatusPanel.exe";
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingDirectory.c_str(), &startup, &info)) {
      CloseHandle(info.hThread);
      process_.reset(info.hProcess);
      id_ = info.dwProcessId;
    }
  }
  ~PanelProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }
  DWORD id() const { return id_; }
  int exitCode(DWORD limitMs) {
    if (!process_ || WaitForSingleObject(process_.get(), limitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return int(code);
  }

 private:
  brevan::win32::ScopedHandle process_;
  DWORD id_ = 0;
};

// Accepts on port 1641 of every address of the namespace (loopback only) and keeps what arrives.
class SignalListener {
 public:
  SignalListener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(1641);
    const BOOL reuse = TRUE;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    listening_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(socket_, 4) == 0;
    if (listening_) thread_ = std::thread([this] { serve(); });
  }
  ~SignalListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    closesocket(socket_);
  }
  bool listening() const { return listening_; }
  int connections() const { return connections_; }
  std::string received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  static bool readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit{0, 50000};
    return select(0, &set, nullptr, nullptr, &limit) == 1;
  }
  void serve() {
    std::vector<SOCKET> peers;
    while (!stop_) {
      if (readable(socket_)) {
        peers.push_back(accept(socket_, nullptr, nullptr));
        ++connections_;
      }
      for (SOCKET peer : peers) {
        char buffer[64];
        if (!readable(peer)) continue;
        const int n = recv(peer, buffer, sizeof buffer, 0);
        std::lock_guard<std::mutex> lock(mutex_);
        if (n > 0) received_.append(buffer, size_t(n));
      }
    }
    for (SOCKET peer : peers) closesocket(peer);
  }
  SOCKET socket_ = INVALID_SOCKET;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::string received_;
  std::thread thread_;
};

// The panel as it shows on the screen, for the README.
void saveScreenshot(HWND panel, const std::string& path) {
  RECT r;
  GetWindowRect(panel, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  auto screen = brevan::win32::windowDc(nullptr);
  brevan::win32::ScopedMemoryDc memory(CreateCompatibleDC(screen.get().dc));
  brevan::win32::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get().dc, width, height));
  {
    auto selected = brevan::win32::selectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get().dc, r.left, r.top, SRCCOPY);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<BYTE> pixels(size_t(width) * size_t(height) * 4);
  GetDIBits(memory.get(), bitmap.get(), 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS);
  brevan::imageio::RgbImage image{width, height, {}};
  for (size_t i = 0; i < pixels.size(); i += 4) {
    image.rgb.insert(image.rgb.end(), {pixels[i + 2], pixels[i + 1], pixels[i]});
  }
  EXPECT_TRUE(brevan::imageio::writePng(path, image)) << path;
}

void expectLaunch(const std::string& log, const char* name, const char* arguments,
                  const std::string& directory, int show) {
  ASSERT_TRUE(brevan::testsupport::waitForFile(log, 10000)) << name << " never ran";
  auto report = readReport(log);
  EXPECT_EQ(report["name"], name);
  EXPECT_EQ(report["arguments"], arguments) << name;
  EXPECT_EQ(_stricmp(report["directory"].c_str(), directory.c_str()), 0)
      << name << " ran in " << report["directory"];
  EXPECT_EQ(report["show"], std::to_string(show)) << name;
}

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Without a window manager on the test display, Wine draws the frames and captions itself only
// for windows it does not hand to one. The prefix is this test's own view (wine-in-netns.sh).
class FramedWindows : public ::testing::Environment {
 public:
  void SetUp() override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      brevan::win32::ScopedRegistryKey holder(key);
      RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
    }
  }
};
const auto* const kFramedWindows = ::testing::AddGlobalTestEnvironment(new FramedWindows);

TEST(PanelRun, StopModeAsksTheControllerAndCannotBeClosedEarly) {
  SignalListener listener;
  ASSERT_TRUE(listener.listening());
  PanelDirectory directory("stop");
  PanelProcess panel(directory, L"\"" + directory.widePath() + L"\\StatusPanel.exe\"",
                     wide(programDirectory()));
  const HWND dialog = waitForPanel(panel.id(), 15000);
  ASSERT_TRUE(dialog);
  const auto shown = Clock::now();
  EXPECT_EQ(statusText(dialog), L"Stopping Brevan...");
  EXPECT_EQ(progressRange(dialog), std::make_pair(0, 100));

  std::vector<int> positions;
  bool closeAsked = false;
  while (IsWindow(dialog) && Clock::now() - shown < 15s) {
    if (auto position = progressPosition(dialog)) positions.push_back(*position);
    if (!closeAsked && Clock::now() - shown > 1500ms) {
      // A close request, Esc and Enter while the work goes on are all refused.
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      closeAsked = true;
    }
    std::this_thread::sleep_for(50ms);
  }
  const auto lasted = Clock::now() - shown;
  EXPECT_EQ(panel.exitCode(5000), 0);
  EXPECT_GE(lasted, 3000ms);
  EXPECT_LE(lasted, 8000ms);
  ASSERT_FALSE(positions.empty());
  EXPECT_LE(positions.front(), 5) << "the bar starts empty";
  for (size_t i = 0; i < positions.size(); ++i) {
    EXPECT_EQ(positions[i] % 5, 0) << positions[i];
    EXPECT_LE(positions[i], 20);
    if (i > 0) {
      EXPECT_GE(positions[i], positions[i - 1]);
    }
  }
  EXPECT_GE(positions.back(), 15);

  expectLaunch(directory.log("BrevanController"), "BrevanController.exe", "stop", directory.path(),
               SW_HIDE);
  EXPECT_FALSE(exists(directory.log("BrevanLauncher")));
  EXPECT_EQ(listener.connections(), 0);
}

// The listener comes up between the second and the third attempt: each attempt needs a socket
// of its own to reach it.
TEST(PanelRun, StartModeLaunchesBothAndSignalsAListenerThatComesUpLate) {
  PanelDirectory directory("start");
  PanelProcess panel(directory, L"\"" + directory.widePath() + L"\\StatusPanel.exe\" start",
                     wide(programDirectory()));
  const HWND dialog = waitForPanel(panel.id(), 15000);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(statusText(dialog), L"Starting Brevan...");

  ASSERT_TRUE(waitUntil(
      10s, [&] { return progressPosition(dialog).value_or(0) >= 5; }, 20ms));
  saveScreenshot(dialog, windowsPath(BREVAN_BINARY_DIR "/statuspanel/panel-start.png"));
  // The last step comes a second after 15; the attempts follow it two seconds apart.
  ASSERT_TRUE(waitUntil(
      10s, [&] { return progressPosition(dialog).value_or(0) >= 15; }, 20ms));
  std::this_thread::sleep_until(Clock::now() + 4000ms);
  SignalListener listener;
  ASSERT_TRUE(listener.listening());

  ASSERT_TRUE(waitUntil(10s, [&] { return !listener.received().empty(); }));
  EXPECT_TRUE(IsIconic(dialog)) << "the panel minimises before it signals";
  EXPECT_EQ(panel.exitCode(10000), 0);
  EXPECT_EQ(listener.received(), "B");
  EXPECT_EQ(listener.connections(), 1);

  expectLaunch(directory.log("BrevanController"), "BrevanController.exe", "start", directory.path(),
               SW_HIDE);
  expectLaunch(directory.log("BrevanLauncher"), "BrevanLauncher.exe", "", directory.path(),
               SW_SHOWNORMAL);
}

// Nothing listens: three attempts two seconds apart, then the panel closes by itself.
TEST(PanelRun, StartModeWithoutListenerGivesUpAfterThreeAttempts) {
  PanelDirectory directory("unheard");
  PanelProcess panel(directory, L"\"" + directory.widePath() + L"\\StatusPanel.exe\" start",
                     wide(programDirectory()));
  const HWND dialog = waitForPanel(panel.id(), 15000);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(waitUntil(
      10s, [&] { return progressPosition(dialog).value_or(0) >= 15; }, 20ms));
  const auto lastStepBefore = Clock::now() + 1000ms;
  bool minimised = false;
  while (IsWindow(dialog) && Clock::now() < lastStepBefore + 15s) {
    minimised = minimised || IsIconic(dialog);
    std::this_thread::sleep_for(50ms);
  }
  const auto tried = Clock::now() - lastStepBefore;
  EXPECT_EQ(panel.exitCode(5000), 0);
  EXPECT_GE(tried, 5000ms);
  EXPECT_LE(tried, 9000ms);
  EXPECT_FALSE(minimised);
}

TEST(PanelRun, BareNameStartedFromItsOwnDirectoryFindsTheController) {
  PanelDirectory directory("bare");
  PanelProcess panel(directory, L"StatusPanel.exe", directory.widePath());
  expectLaunch(directory.log("BrevanController"), "BrevanController.exe", "stop", directory.path(),
               SW_HIDE);
  EXPECT_FALSE(findTopWindow(panel.id(), L"#32770", L"ERROR: Full path not given"));
}

TEST(PanelRun, MarkerFileHoldsTheStartUntilClicked) {
  const char* marker = "c:\\pausebrevan.txt";
  brevan::testsupport::touch(marker);
  PanelDirectory directory("marker");
  PanelProcess panel(directory, L"\"" + directory.widePath() + L"\\StatusPanel.exe\" start",
                     wide(programDirectory()));
  const HWND box = waitForTopWindow(panel.id(), L"#32770", L"Pausing Startup", 15000);
  DeleteFileA(marker);
  ASSERT_TRUE(box);
  EXPECT_TRUE(FindWindowExW(box, nullptr, nullptr, L"Click on to Continue"));
  std::this_thread::sleep_for(500ms);
  EXPECT_FALSE(findTopWindow(panel.id(), L"#32770", L"Brevan"));
  EXPECT_FALSE(exists(directory.log("BrevanController")));

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(waitForPanel(panel.id(), 10000));
  expectLaunch(directory.log("BrevanController"), "BrevanController.exe", "start", directory.path(),
               SW_HIDE);
  // Both started before the panel is ended.
  expectLaunch(directory.log("BrevanLauncher"), "BrevanLauncher.exe", "", directory.path(),
               SW_SHOWNORMAL);
}

}  // namespace
}  // namespace brevan::statuspanel
