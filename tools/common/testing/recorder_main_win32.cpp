// Stands in for a program that a helper starts: appends to "<own path>.record" the lines
// "commandline <as received>" and "directory <current directory>", then ends.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char self[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) return 2;
  char directory[MAX_PATH * 4];
  const DWORD directoryLength = GetCurrentDirectoryA(sizeof directory, directory);
  if (directoryLength == 0 || directoryLength >= sizeof directory) return 2;
  FILE* record = std::fopen((std::string(self, length) + ".record").c_str(), "ab");
  if (!record) return 2;
  std::fprintf(record, "commandline %s\r\ndirectory %s\r\n", GetCommandLineA(), directory);
  std::fclose(record);
  return 0;
}
