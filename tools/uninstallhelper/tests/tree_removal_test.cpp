#include "tree_removal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace brevan::uninstallhelper {
namespace {

using Path = std::u16string;

struct Node {
  bool directory = false;
  bool link = false;      // a junction or symbolic link
  bool readOnly = false;
  bool inUse = false;     // a file another process holds open
  bool unlistable = false;
  bool hasShortName = true;
};

bool isBelow(const Path& path, const Path& directory) {
  return path.size() > directory.size() && path.compare(0, directory.size(), directory) == 0 &&
         path[directory.size()] == u'\\';
}

std::string narrow(const Path& path) { return std::string(path.begin(), path.end()); }

// A file system of whole paths, with a log of what the removal asked of it.
class FakeFileSystem : public TreeOperations {
 public:
  std::map<Path, Node> nodes;
  std::vector<Path> listed;
  std::vector<Path> atRestart;

  void add(const Path& path, Node node) { nodes[path] = node; }

  std::optional<std::vector<DirectoryEntry>> list(const Path& directory) override {
    listed.push_back(directory);
    const auto found = nodes.find(directory);
    if (found == nodes.end() || found->second.unlistable) return std::nullopt;
    std::vector<DirectoryEntry> entries;
    for (const auto& [path, node] : nodes) {
      if (!isBelow(path, directory) || path.find(u'\\', directory.size() + 1) != Path::npos) continue;
      entries.push_back({path.substr(directory.size() + 1), node.directory, node.link});
    }
    return entries;
  }
  void makeNormal(const Path& path) override {
    if (nodes.count(path)) nodes[path].readOnly = false;
  }
  bool deleteFile(const Path& path) override {
    const auto found = nodes.find(longForm(path));
    if (found == nodes.end() || found->second.directory || found->second.readOnly ||
        found->second.inUse) {
      return false;
    }
    nodes.erase(found);
    return true;
  }
  bool removeDirectory(const Path& path) override {
    const auto found = nodes.find(path);
    if (found == nodes.end() || !found->second.directory || found->second.readOnly) return false;
    const bool link = found->second.link;
    for (auto it = nodes.begin(); it != nodes.end();) {
      if (!isBelow(it->first, path)) {
        ++it;
      } else if (link) {
        it = nodes.erase(it);  // what the link showed of its target goes with it
      } else {
        return false;
      }
    }
    nodes.erase(path);
    return true;
  }
  std::optional<Path> shortPath(const Path& path) override {
    if (!nodes.count(path) || !nodes[path].hasShortName) return std::nullopt;
    return u"~" + path;
  }
  void deleteAtRestart(const Path& path) override { atRestart.push_back(path); }

  static Path longForm(const Path& path) { return path[0] == u'~' ? path.substr(1) : path; }
};

TEST(TreeRemoval, RemovesFilesAndDirectoriesInnermostFirst) {
  FakeFileSystem fs;
  fs.add(u"C:\\B", {true});
  fs.add(u"C:\\B\\a.txt", {false, false, true});  // read-only
  fs.add(u"C:\\B\\one", {true});
  fs.add(u"C:\\B\\one\\two", {true, false, true});
  fs.add(u"C:\\B\\one\\two\\three", {true});
  fs.add(u"C:\\B\\one\\two\\three\\deep.bin", {});
  fs.add(u"C:\\BrevanOld", {true});
  fs.add(u"C:\\BrevanOld\\keep.txt", {});
  removeTree(u"C:\\B", fs);
  EXPECT_EQ(fs.nodes.size(), 2u);
  EXPECT_TRUE(fs.nodes.count(u"C:\\BrevanOld\\keep.txt")) << "a sibling with the same prefix";
  EXPECT_TRUE(fs.atRestart.empty());
}

TEST(TreeRemoval, LinksAreRemovedNeverEntered) {
  FakeFileSystem fs;
  fs.add(u"C:\\Windows", {true});
  fs.add(u"C:\\Windows\\system.dll", {});
  fs.add(u"C:\\B", {true});
  fs.add(u"C:\\B\\junction", {true, true});
  fs.add(u"C:\\B\\junction\\system.dll", {});  // what the link shows of its target
  fs.add(u"C:\\B\\filelink", {false, true});
  removeTree(u"C:\\B", fs);
  EXPECT_EQ(fs.listed, std::vector<Path>{u"C:\\B"});
  EXPECT_TRUE(fs.nodes.count(u"C:\\Windows\\system.dll"));
  EXPECT_FALSE(fs.nodes.count(u"C:\\B\\junction"));
  EXPECT_FALSE(fs.nodes.count(u"C:\\B\\filelink"));
}

TEST(TreeRemoval, WhatIsInUseIsLeftToTheRestartBeforeItsDirectories) {
  FakeFileSystem fs;
  fs.add(u"C:\\B", {true});
  fs.add(u"C:\\B\\sub", {true});
  fs.add(u"C:\\B\\sub\\held.dll", {false, false, false, true});
  fs.add(u"C:\\B\\sub\\noshort.dll", {false, false, false, true, false, false});
  fs.add(u"C:\\B\\free.txt", {});
  removeTree(u"C:\\B", fs);
  EXPECT_EQ(fs.atRestart, (std::vector<Path>{u"~C:\\B\\sub\\held.dll", u"C:\\B\\sub\\noshort.dll",
                                             u"C:\\B\\sub", u"C:\\B"}));
  EXPECT_FALSE(fs.nodes.count(u"C:\\B\\free.txt"));
}

// Random trees against the plain rule: everything below the root goes except files in use and
// the directories above them (and unlistable ones); each of those is left to the restart after
// everything below it; nothing outside the root is touched and no link is listed.
TEST(TreeRemoval, RandomTreesAgainstThePlainRule) {
  unsigned seed = 2024;
  auto next = [&seed](unsigned n) { return ((seed = seed * 1103515245u + 12345u) >> 16) % n; };
  for (int round = 0; round < 300; ++round) {
    FakeFileSystem fs;
    const Path root = u"C:\\B";
    fs.add(root, {true});
    fs.add(u"C:\\Outside", {true});
    fs.add(u"C:\\Outside\\f", {});
    std::vector<Path> directories{root};
    for (int i = 0; i < 40; ++i) {
      const Path parent = directories[next(unsigned(directories.size()))];
      const Path path = parent + u"\\n" + Path(1, char16_t(u'a' + i % 26)) + char16_t(u'0' + i / 26);
      Node node;
      node.directory = next(3) == 0;
      node.link = next(8) == 0;
      node.readOnly = !node.link && next(4) == 0;  // a link's own attributes are never reset
      node.inUse = !node.directory && next(6) == 0;
      node.unlistable = node.directory && !node.link && next(12) == 0;
      node.hasShortName = next(3) != 0;
      fs.add(path, node);
      if (node.directory && !node.link) directories.push_back(path);
    }
    // The plain rule's survivors: files in use, whatever lies in an unlistable directory, and
    // every directory above one of those.
    std::set<Path> kept;
    for (const auto& [path, node] : fs.nodes) {
      bool inUnlistable = false;
      for (const auto& [other, otherNode] : fs.nodes) {
        inUnlistable = inUnlistable || (otherNode.unlistable && isBelow(path, other));
      }
      if (!node.inUse && !inUnlistable) continue;
      for (Path at = path; at.size() >= root.size(); at = at.substr(0, at.rfind(u'\\'))) {
        kept.insert(at);
      }
    }
    const auto before = fs.nodes;
    removeTree(root, fs);
    const std::string label = "round " + std::to_string(round);
    std::set<Path> left;
    for (const auto& [path, node] : fs.nodes) {
      if (path == root || isBelow(path, root)) left.insert(path);
    }
    ASSERT_EQ(left, kept) << label;
    EXPECT_TRUE(fs.nodes.count(u"C:\\Outside\\f")) << label;
    for (const Path& listedPath : fs.listed) {
      for (const auto& [path, node] : before) {
        if (node.link) {
          EXPECT_FALSE(listedPath == path || isBelow(listedPath, path)) << label;
        }
      }
    }
    // Every survivor that the removal reached is left to the restart after what lies below it.
    std::set<Path> scheduled;
    for (const Path& path : fs.atRestart) scheduled.insert(FakeFileSystem::longForm(path));
    for (const Path& path : kept) {
      bool reached = true;
      for (const auto& [other, node] : before) {
        if (node.unlistable && isBelow(path, other)) reached = false;
      }
      if (reached) {
        EXPECT_TRUE(scheduled.count(path)) << label << " " << narrow(path);
      }
    }
    for (size_t i = 0; i < fs.atRestart.size(); ++i) {
      const Path scheduled = FakeFileSystem::longForm(fs.atRestart[i]);
      EXPECT_TRUE(kept.count(scheduled)) << label << " " << narrow(scheduled);
      for (size_t j = i + 1; j < fs.atRestart.size(); ++j) {
        EXPECT_FALSE(isBelow(FakeFileSystem::longForm(fs.atRestart[j]), scheduled)) << label;
      }
    }
  }
}

}  // namespace
}  // namespace brevan::uninstallhelper
