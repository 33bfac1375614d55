// Removing a directory tree whose files may be read-only or in use: what cannot go now is left
// for the system to delete at the next restart, files before the directories that hold them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brevan::uninstallhelper {

struct DirectoryEntry {
  std::u16string name;
  bool directory = false;
  bool reparsePoint = false;  // a junction or symbolic link: removed as a link, never entered
};

// The file system as the removal sees it; paths are joined with "\".
class TreeOperations {
 public:
  virtual ~TreeOperations() = default;
  // The entries of `directory` other than "." and ".."; nothing when it cannot be listed.
  virtual std::optional<std::vector<DirectoryEntry>> list(const std::u16string& directory) = 0;
  virtual void makeNormal(const std::u16string& path) = 0;  // clears read-only and the like
  virtual bool deleteFile(const std::u16string& path) = 0;
  virtual bool removeDirectory(const std::u16string& path) = 0;  // also removes a directory link
  // The 8.3 form of `path`; nothing when the file system keeps no short name for it.
  virtual std::optional<std::u16string> shortPath(const std::u16string& path) = 0;
  virtual void deleteAtRestart(const std::u16string& path) = 0;
};

// Removes `root` and everything below it, innermost first. Depth costs memory, not stack.
void removeTree(const std::u16string& root, TreeOperations& operations);

}  // namespace brevan::uninstallhelper
