#include "tree_removal.h"

#include <utility>

namespace brevan::uninstallhelper {

namespace {

// A directory whose files are gone and whose subdirectories are being removed one by one.
struct OpenDirectory {
  std::u16string path;
  std::vector<std::u16string> subdirectories;
  size_t next = 0;
};

std::u16string joined(const std::u16string& directory, const std::u16string& name) {
  return directory + u'\\' + name;
}

void removeFile(const std::u16string& path, TreeOperations& operations) {
  operations.makeNormal(path);
  if (operations.deleteFile(path)) return;
  const auto shortPath = operations.shortPath(path);
  if (shortPath && operations.deleteFile(*shortPath)) return;
  operations.deleteAtRestart(shortPath ? *shortPath : path);
}

// A link is never followed: what it points to is not this tree's to delete.
void removeLink(const std::u16string& path, const DirectoryEntry& entry,
                TreeOperations& operations) {
  const bool removed =
      entry.directory ? operations.removeDirectory(path) : operations.deleteFile(path);
  if (!removed) operations.deleteAtRestart(path);
}

void removeEmptied(const std::u16string& path, TreeOperations& operations) {
  operations.makeNormal(path);
  if (!operations.removeDirectory(path)) operations.deleteAtRestart(path);
}

// Deletes the files and links of `path` and keeps its subdirectories for later.
OpenDirectory open(std::u16string path, TreeOperations& operations) {
  OpenDirectory directory{std::move(path), {}, 0};
  const auto entries = operations.list(directory.path);
  if (!entries) return directory;  // removing it fails below and is left for the restart
  for (const DirectoryEntry& entry : *entries) {
    const std::u16string entryPath = joined(directory.path, entry.name);
    if (entry.reparsePoint) {
      removeLink(entryPath, entry, operations);
    } else if (entry.directory) {
      directory.subdirectories.push_back(entry.name);
    } else {
      removeFile(entryPath, operations);
    }
  }
  return directory;
}

}  // namespace

void removeTree(const std::u16string& root, TreeOperations& operations) {
  std::vector<OpenDirectory> stack;
  stack.push_back(open(root, operations));
  while (!stack.empty()) {
    OpenDirectory& top = stack.back();
    if (top.next < top.subdirectories.size()) {
      std::u16string child = joined(top.path, top.subdirectories[top.next++]);
      stack.push_back(open(std::move(child), operations));
      continue;
    }
    removeEmptied(top.path, operations);
    stack.pop_back();
  }
}

}  // namespace brevan::uninstallhelper
