// The administration exports of HostUtil.dll, called as the JVM would, on Wine's real services.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/text.h"
#include "testsupport/wait.h"

namespace {

using brevan::testsupport::ChildProcess;
using brevan::testsupport::waitUntil;
using brevan::testsupport::widen;
using namespace std::chrono_literals;

constexpr char kExportPrefix[] = "Java_zemtra_nativeCode_HostUtil_";

class HostUtilAdmin : public ::testing::Test {
 protected:
  template <class Function>
  Function exported(const char* method) {
    return library.get<Function>((std::string(kExportPrefix) + method).c_str());
  }

  std::u16string text(jstring value) { return value ? jvm.stringValue(value) : u"<null>"; }

  // Loaded once and kept, as the JVM does: the library's process-wide threads outlive calls.
  static brevan::jnitest::Library& hostUtil() {
    static brevan::jnitest::Library* loaded = new brevan::jnitest::Library("HostUtil");
    return *loaded;
  }

  brevan::jnitest::FakeJvm jvm;
  JNIEnv* env = jvm.env();
  brevan::jnitest::Library& library = hostUtil();
};

std::wstring probePath() { return widen(brevan::jnitest::windowsPathOf(HOSTUTIL_PROBE)); }

std::wstring tempFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return folder;
}

std::u16string asU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

TEST_F(HostUtilAdmin, SessionQueriesAnswerForThisProcess) {
  auto active = exported<jint(JNICALL*)(JNIEnv*, jclass)>("getActiveSessionId");
  auto own = exported<jlong(JNICALL*)(JNIEnv*, jclass)>("getUserSessionID");
  auto station = exported<jint(JNICALL*)(JNIEnv*, jclass)>("getWindowStationNumber");
  EXPECT_GE(active(env, nullptr), 0);
  DWORD session = 0;
  ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
  // Wine's session query does not know WTSSessionId; a failed query gives 0.
  const jlong reported = own(env, nullptr);
  EXPECT_TRUE(reported == 0 || reported == jlong(session)) << reported;
  EXPECT_EQ(station(env, nullptr), 0) << "WinSta0";
}

TEST_F(HostUtilAdmin, CreateProcessStartsTheProgramWithOneSpaceBeforeTheArguments) {
  auto create = exported<jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring)>("createProcess");
  EXPECT_EQ(create(env, nullptr, jvm.newString(u"C:\\no\\such\\program.exe"), jvm.newString(u"x")),
            -1);

  const std::wstring out =
      tempFolder() + L"hostutil_cmdline_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  DeleteFileW(out.c_str());
  SetEnvironmentVariableW(L"HOSTUTIL_PROBE_CMDLINE_OUT", out.c_str());
  const jint created = create(env, nullptr, jvm.newString(asU16(probePath())),
                              jvm.newString(u"first \"second arg\""));
  SetEnvironmentVariableW(L"HOSTUTIL_PROBE_CMDLINE_OUT", nullptr);
  ASSERT_EQ(created, 1);

  std::u16string seen;
  ASSERT_TRUE(waitUntil(10000ms, [&] {
    FILE* file = _wfopen(out.c_str(), L"rb");
    if (file == nullptr) return false;
    char16_t buffer[256] = {};
    const size_t count = std::fread(buffer, sizeof(char16_t), 255, file);
    std::fclose(file);
    seen.assign(buffer, count);
    return count > 0;
  }));
  EXPECT_EQ(seen, u" first \"second arg\"");
  DeleteFileW(out.c_str());
}

TEST_F(HostUtilAdmin, PowerSchemeCallReturnsTrueAndLeavesAQuitMessage) {
  auto apply =
      exported<jboolean(JNICALL*)(JNIEnv*, jclass)>("createAndSelectNewPowerSettingWithoutStandby");
  EXPECT_TRUE(apply(env, nullptr));
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}

TEST_F(HostUtilAdmin, InstalledFirewallQueryGivesTheSameAnswerTwice) {
  auto installed = exported<jstring(JNICALL*)(JNIEnv*, jclass)>(
      "getAllKnown3rdPartyFirewallsInstalledOnThisSystem");
  const std::u16string first = text(installed(env, nullptr));
  EXPECT_EQ(first, u"") << "Wine lists no installed products";
  EXPECT_EQ(text(installed(env, nullptr)), first);
}

TEST_F(HostUtilAdmin, RunningFirewallIsReportedOnlyWhileAllItsProgramsRun) {
  auto runningProducts = exported<jstring(JNICALL*)(JNIEnv*, jclass, jobjectArray)>(
      "getAllFirewallsRunningOnThisSystem");
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring imageA = L"hufwa_" + pid + L".exe";
  const std::wstring imageB = L"hufwb_" + pid + L".exe";
  ASSERT_TRUE(CopyFileW(probePath().c_str(), (tempFolder() + imageA).c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(probePath().c_str(), (tempFolder() + imageB).c_str(), FALSE));

  auto row = [&](std::vector<std::u16string> texts) {
    std::vector<jobject> elements;
    for (const auto& t : texts) elements.push_back(jvm.newString(t));
    return static_cast<jobject>(jvm.newObjectArray(elements));
  };
  auto report = [&] {
    jobjectArray table =
        jvm.newObjectArray({row({u"1", u"fw", asU16(imageA), u"HuFwB_" + asU16(pid) + u".EXE"}),
                            row({u"2", u"always"}), row({u"<endoflist>"}), row({u"3", u"late"})});
    return text(runningProducts(env, nullptr, table));
  };
  EXPECT_EQ(report(), u"ALWAYS");
  {
    ChildProcess a(tempFolder() + imageA, L"linger");
    ChildProcess b(tempFolder() + imageB, L"linger");
    ASSERT_TRUE(a.started() && b.started());
    EXPECT_TRUE(waitUntil(10000ms, [&] { return report() == u"FW,ALWAYS"; }));
    b.kill();
    EXPECT_EQ(report(), u"ALWAYS");
  }
  DeleteFileW((tempFolder() + imageA).c_str());
  DeleteFileW((tempFolder() + imageB).c_str());
}

TEST_F(HostUtilAdmin, LongRunningReportIsReturnedWhole) {
  auto runningProducts = exported<jstring(JNICALL*)(JNIEnv*, jclass, jobjectArray)>(
      "getAllFirewallsRunningOnThisSystem");
  std::vector<jobject> rows;
  const std::u16string name(100, u'n');
  for (int i = 0; i < 20; ++i) {
    rows.push_back(jvm.newObjectArray({jvm.newString(u"id"), jvm.newString(name)}));
  }
  EXPECT_EQ(text(runningProducts(env, nullptr, jvm.newObjectArray(rows))).size(), 20u * 101 - 1);
}

TEST_F(HostUtilAdmin, LetterThatIsNoDiskGivesNull) {
  auto vendor = exported<jstring(JNICALL*)(JNIEnv*, jclass, jchar)>("getDriveVId");
  auto product = exported<jstring(JNICALL*)(JNIEnv*, jclass, jchar)>("getDrivePId");
  EXPECT_EQ(vendor(env, nullptr, u'Q'), nullptr);
  EXPECT_EQ(product(env, nullptr, u'Q'), nullptr);
  // The system drive is looked up for real; whatever Wine answers, the call must survive.
  vendor(env, nullptr, u'C');
  product(env, nullptr, u'C');
}

TEST_F(HostUtilAdmin, ServiceReadyFlagIsSeenByOtherProcesses) {
  auto set =
      exported<jboolean(JNICALL*)(JNIEnv*, jclass, jboolean)>("setServiceReadyForClientToStart");
  auto get = exported<jboolean(JNICALL*)(JNIEnv*, jclass)>("getServiceReadyForClientToStart");
  auto probesSee = [&](long expected) {
    ChildProcess first(probePath(), L"ready");
    ChildProcess second(probePath(), L"ready");
    EXPECT_EQ(first.wait(20000), expected);
    EXPECT_EQ(second.wait(20000), expected);
  };
  probesSee(0);  // before anyone set it, the event is created non-signalled
  EXPECT_FALSE(get(env, nullptr));
  EXPECT_TRUE(set(env, nullptr, JNI_TRUE));
  EXPECT_TRUE(get(env, nullptr));
  probesSee(1);
  EXPECT_TRUE(set(env, nullptr, JNI_FALSE));
  EXPECT_FALSE(get(env, nullptr));
  probesSee(0);
}

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcW(window, message, w, l);
}

TEST_F(HostUtilAdmin, AlwaysOnTopFindsTheWindowByItsFullTitle) {
  auto onTop =
      exported<jboolean(JNICALL*)(JNIEnv*, jclass, jstring, jboolean)>("setWindowAlwaysOnTop");
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = plainWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"HostUtilTopmostTest";
  RegisterClassW(&windowClass);
  const std::wstring title = L"hostutil topmost " + std::to_wstring(GetCurrentProcessId());
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                10, 10, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  auto topmost = [&] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };

  EXPECT_TRUE(onTop(env, nullptr, jvm.newString(asU16(title)), JNI_TRUE));
  EXPECT_TRUE(topmost());
  EXPECT_FALSE(onTop(env, nullptr, jvm.newString(u"hostutil topmost"), JNI_FALSE))
      << "a prefix of the title does not match";
  EXPECT_TRUE(topmost());
  EXPECT_TRUE(onTop(env, nullptr, jvm.newString(asU16(title)), JNI_FALSE));
  EXPECT_FALSE(topmost());
  DestroyWindow(window);
}

}  // namespace
