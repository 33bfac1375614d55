// The removal's file operations on the real file system (wide-character API, paths in the
// extended-length form).
#pragma once

#include "tree_removal.h"

namespace brevan::uninstallhelper {

class FileSystemOperations : public TreeOperations {
 public:
  std::optional<std::vector<DirectoryEntry>> list(const std::u16string& directory) override;
  void makeNormal(const std::u16string& path) override;
  bool deleteFile(const std::u16string& path) override;
  bool removeDirectory(const std::u16string& path) override;
  std::optional<std::u16string> shortPath(const std::u16string& path) override;
  void deleteAtRestart(const std::u16string& path) override;
};

// An existing directory that is itself no junction or symbolic link.
bool isPlainDirectory(const std::u16string& path);

// Moves the current directory to the system directory, so that the tree being removed is not
// held by this process.
void leaveForSystemDirectory();

}  // namespace brevan::uninstallhelper
