// UninstallHelper: removes the installation directory tree that the product's configuration key
// names, leaving what is in use to the next restart, then the key itself. Shows nothing; exit
// code 0.
#include <windows.h>

#include "win32/file_system_win32.h"
#include "install_directory.h"
#include "win32/install_key_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace brevan::uninstallhelper;
  const auto value = readInstallDir();
  if (!value) return 0;
  // A value that does not name a plain directory below a root is left alone, with its key.
  const auto directory = installDirectoryPath(*value);
  if (!directory) return 0;
  const std::u16string root = extendedLengthPath(*directory);
  if (!isPlainDirectory(root)) return 0;
  leaveForSystemDirectory();
  FileSystemOperations fileSystem;
  removeTree(root, fileSystem);
  deleteInstallKey();
  return 0;
}
