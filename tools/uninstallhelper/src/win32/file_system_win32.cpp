#include "win32/file_system_win32.h"

#include <windows.h>

#include "winhelpers/handles.h"
#include "winhelpers/wide_text.h"

namespace brevan::uninstallhelper {

using win32::asUtf16;
using win32::wide;

namespace {

bool isDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

DirectoryEntry entryOf(const WIN32_FIND_DATAW& found) {
  DirectoryEntry entry;
  entry.name = asUtf16(found.cFileName);
  entry.directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.reparsePoint = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return entry;
}

}  // namespace

std::optional<std::vector<DirectoryEntry>> FileSystemOperations::list(
    const std::u16string& directory) {
  WIN32_FIND_DATAW found{};
  win32::ScopedFindHandle search(FindFirstFileW(wide(directory + u"\\*.*"), &found));
  if (!search) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  do {
    if (!isDotEntry(found.cFileName)) entries.push_back(entryOf(found));
  } while (FindNextFileW(search.get(), &found));
  // Entries that could not be listed stay behind, and so does the directory that holds them.
  return entries;
}

void FileSystemOperations::makeNormal(const std::u16string& path) {
  SetFileAttributesW(wide(path), FILE_ATTRIBUTE_NORMAL);
}

bool FileSystemOperations::deleteFile(const std::u16string& path) {
  return DeleteFileW(wide(path)) != FALSE;
}

bool FileSystemOperations::removeDirectory(const std::u16string& path) {
  return RemoveDirectoryW(wide(path)) != FALSE;
}

std::optional<std::u16string> FileSystemOperations::shortPath(const std::u16string& path) {
  const DWORD size = GetShortPathNameW(wide(path), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring shortened(size, L'\0');
  const DWORD length = GetShortPathNameW(wide(path), shortened.data(), size);
  // A result that no longer fits (the name changed meanwhile) is never used cut short.
  if (length == 0 || length >= size) return std::nullopt;
  shortened.resize(length);
  return std::u16string(asUtf16(shortened.c_str()));
}

void FileSystemOperations::deleteAtRestart(const std::u16string& path) {
  MoveFileExW(wide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool isPlainDirectory(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void leaveForSystemDirectory() {
  const UINT size = GetSystemDirectoryW(nullptr, 0);
  std::wstring directory(size, L'\0');
  const UINT length = GetSystemDirectoryW(directory.data(), size);
  if (length > 0 && length < size) SetCurrentDirectoryW(directory.c_str());
}

}  // namespace brevan::uninstallhelper
