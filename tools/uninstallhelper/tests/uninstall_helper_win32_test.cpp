// UninstallHelper.exe in a prefix of its own: the configuration key, trees on drive C: and a
// file held open while it runs, whose deletion waits for the restart (AfterRestart suite).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_run_win32.h"
#include "winhelpers/handles.h"

namespace {

using namespace brevan::tools::testing;
using brevan::win32::ScopedHandle;
using brevan::win32::ScopedRegistryKey;

constexpr wchar_t kConfigKey[] = L"SOFTWARE\\ZemtraBreConfig";
constexpr DWORD kLimitMs = 30000;
const std::wstring kKeep = L"C:\\Keep";
const std::wstring kHeldTree = L"C:\\Brevan Held";

void setValue(DWORD type, const void* data, DWORD size) {
  ScopedRegistryKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kConfigKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key.get(), L"InstallDir", 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  ScopedRegistryKey sub;
  ASSERT_EQ(RegCreateKeyExW(key.get(), L"Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            sub.receive(), nullptr),
            ERROR_SUCCESS);
}

void setInstallDir(const std::wstring& value) {
  setValue(REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t)));
}

bool keyExists() {
  ScopedRegistryKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kConfigKey, 0, KEY_READ, key.receive()) ==
         ERROR_SUCCESS;
}

int uninstall(const std::wstring& currentDirectory = L"C:\\") {
  return runProgram(deliverable("UninstallHelper.exe"), L"UninstallHelper.exe", currentDirectory,
                    kLimitMs)
      .exitCode;
}

void makeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  ASSERT_TRUE(writeText(path, "contents")) << std::string(path.begin(), path.end());
  SetFileAttributesW(path.c_str(), attributes);
}

// "<root>\a.txt" (read-only), "<root>\one\two\three\deep.bin" and a file on every level.
void makeTree(const std::wstring& root) {
  ASSERT_TRUE(makeDirectories(root + L"\\one\\two\\three"));
  makeFile(root + L"\\a.txt", FILE_ATTRIBUTE_READONLY);
  makeFile(root + L"\\one\\b.txt");
  makeFile(root + L"\\one\\two\\c.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  makeFile(root + L"\\one\\two\\three\\deep.bin");
  SetFileAttributesW((root + L"\\one\\two").c_str(), FILE_ATTRIBUTE_READONLY);
}

std::vector<std::wstring> pendingOperations() {
  ScopedRegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_READ, key.receive()) != ERROR_SUCCESS) {
    return {};
  }
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                       &size) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring text(size / sizeof(wchar_t), L'\0');
  RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                   reinterpret_cast<BYTE*>(text.data()), &size);
  // Pairs of source and target, the target empty for a deletion: only the sources are kept.
  std::vector<std::wstring> entries;
  for (size_t at = 0; at < text.size();) {
    const std::wstring entry = text.c_str() + at;
    if (!entry.empty()) entries.push_back(entry);
    at += entry.size() + 1;
  }
  return entries;
}

TEST(UninstallHelper, WithoutKeyDoesNothing) {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kConfigKey);
  ASSERT_TRUE(makeDirectories(kKeep));
  makeFile(kKeep + L"\\file.txt");
  EXPECT_EQ(uninstall(kKeep), 0);
  EXPECT_TRUE(exists(kKeep + L"\\file.txt"));
}

// Values that are empty, name a root, climb out of the tree, are relative, are no string or
// no plain existing directory: nothing is deleted and the key stays.
TEST(UninstallHelper, RefusesValuesThatDoNotNameAnInstallTree) {
  ASSERT_TRUE(makeDirectories(kKeep + L"\\inner"));
  makeFile(kKeep + L"\\file.txt");
  makeFile(kKeep + L"\\inner\\file.txt");
  for (const std::wstring& value :
       {std::wstring(), std::wstring(L"C:\\"), std::wstring(L"C:"), std::wstring(L"\\"),
        std::wstring(L"inner\\"), std::wstring(L"C:\\Keep\\inner\\.."),
        std::wstring(L"C:\\Keep\\inner\\..\\"), std::wstring(L"C:\\Keep.\\"),
        std::wstring(L"C:\\Missing\\"), std::wstring(L"C:\\Keep*")}) {
    setInstallDir(value);
    EXPECT_EQ(uninstall(kKeep), 0);
    EXPECT_TRUE(exists(kKeep + L"\\file.txt")) << std::string(value.begin(), value.end());
    EXPECT_TRUE(exists(kKeep + L"\\inner\\file.txt")) << std::string(value.begin(), value.end());
    EXPECT_TRUE(keyExists()) << std::string(value.begin(), value.end());
  }
  const DWORD number = 7;
  setValue(REG_DWORD, &number, sizeof number);
  EXPECT_EQ(uninstall(kKeep), 0);
  EXPECT_TRUE(exists(kKeep + L"\\inner\\file.txt"));
  EXPECT_TRUE(keyExists());
}

TEST(UninstallHelper, RemovesTheTreeAndTheKeyButNotASiblingOfTheSamePrefix) {
  const std::wstring root = L"C:\\Brevan Install";
  makeTree(root);
  ASSERT_TRUE(makeDirectories(root + L"Old"));
  makeFile(root + L"Old\\keep.txt");
  setInstallDir(root + L"\\");
  EXPECT_EQ(uninstall(root + L"\\one"), 0);  // started from inside the tree
  EXPECT_FALSE(exists(root));
  EXPECT_TRUE(exists(root + L"Old\\keep.txt"));
  EXPECT_FALSE(keyExists());
}

TEST(UninstallHelper, PathsLongerThanTheOldBuffersAreRemoved) {
  const std::wstring root = L"C:\\Brevan Long";
  std::wstring deep = L"\\\\?\\" + root;
  for (int level = 0; level < 12; ++level) deep += L"\\" + std::wstring(40, wchar_t(L'a' + level));
  ASSERT_TRUE(makeDirectories(deep));
  makeFile(deep + L"\\far.txt", FILE_ATTRIBUTE_READONLY);
  setInstallDir(root);
  EXPECT_EQ(uninstall(), 0);
  EXPECT_FALSE(exists(root));
  EXPECT_FALSE(keyExists());
}

TEST(UninstallHelper, LinksInTheTreeAreRemovedNotFollowed) {
  const std::wstring root = L"C:\\Brevan Linked";
  ASSERT_TRUE(makeDirectories(root));
  ASSERT_TRUE(makeDirectories(kKeep));
  makeFile(kKeep + L"\\target.txt");
  if (!CreateSymbolicLinkW((root + L"\\link").c_str(), kKeep.c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    GTEST_SKIP() << "this Wine makes no directory links, error " << GetLastError();
  }
  setInstallDir(root);
  EXPECT_EQ(uninstall(), 0);
  EXPECT_TRUE(exists(kKeep + L"\\target.txt"));
  EXPECT_FALSE(exists(root));
  // A value naming a link is refused outright.
  ASSERT_TRUE(CreateSymbolicLinkW(L"C:\\KeepLink", kKeep.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY));
  setInstallDir(L"C:\\KeepLink\\");
  EXPECT_EQ(uninstall(), 0);
  EXPECT_TRUE(exists(kKeep + L"\\target.txt"));
  EXPECT_TRUE(keyExists());
}

// A file held open by another process is left to the restart, and so is its directory.
TEST(UninstallHelper, FileInUseIsDeletedAtTheNextRestart) {
  ASSERT_TRUE(makeDirectories(kHeldTree + L"\\sub"));
  makeFile(kHeldTree + L"\\sub\\held.dll");
  makeFile(kHeldTree + L"\\free.txt");
  ScopedHandle held(CreateFileW((kHeldTree + L"\\sub\\held.dll").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  setInstallDir(kHeldTree);
  EXPECT_EQ(uninstall(), 0);
  EXPECT_FALSE(exists(kHeldTree + L"\\free.txt"));
  EXPECT_TRUE(exists(kHeldTree + L"\\sub\\held.dll"));
  EXPECT_FALSE(keyExists()) << "the key goes even when files stay";
  const auto pending = pendingOperations();
  ASSERT_GE(pending.size(), 2u);
  std::wstring all;
  for (const auto& entry : pending) all += entry + L"|";
  EXPECT_NE(all.find(L"held.dll"), std::wstring::npos) << std::string(all.begin(), all.end());
  EXPECT_NE(all.find(L"Brevan Held|"), std::wstring::npos) << std::string(all.begin(), all.end());
}

TEST(AfterRestart, HeldFileAndItsDirectoriesAreGone) {
  EXPECT_FALSE(exists(kHeldTree + L"\\sub\\held.dll"));
  EXPECT_FALSE(exists(kHeldTree));
}

}  // namespace
