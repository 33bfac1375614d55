// screenreplay SCENEDIR OUTDIR: replays a recorded scene through the screen source (queue,
// poller, tile store and packet coder) and writes every delivered packet to
// OUTDIR/packet_NNNNNN.bin (NNNNNN the cycle number), and OUTDIR/manifest.txt with one line a
// cycle: "N LEN", or "N -" when the cycle delivered nothing (packet files of an earlier run
// there are removed first). The scene format is in scene.h.
// Exit status: 0 done; 1 the output could not be written; 2 a usage error or a scene that
// cannot be read.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene.h"
#include "scene_replay.h"

namespace {

using namespace brevan::screensource;

constexpr int kUsageOrScene = 2;
constexpr int kOutputFailed = 1;

int sceneFault(const std::string& dir, const SceneError& error) {
  if (error.line > 0)
    std::fprintf(stderr, "screenreplay: %s/scene.txt line %d: %s\n", dir.c_str(), error.line,
                 error.reason.c_str());
  else
    std::fprintf(stderr, "screenreplay: %s\n", error.reason.c_str());
  return kUsageOrScene;
}

int outputFault(const std::string& what) {
  std::fprintf(stderr, "screenreplay: cannot write %s\n", what.c_str());
  return kOutputFailed;
}

std::string packetName(int cycle) {
  char name[32];
  std::snprintf(name, sizeof name, "packet_%06d.bin", cycle);
  return name;
}

// Packets of an earlier run into the same folder would pass for this run's.
void removeOldPackets(const std::string& dir) {
  std::error_code ignored;
  std::vector<std::filesystem::path> old;
  // Stepped with an error code: a range-for would throw from the increment on a read error.
  for (std::filesystem::directory_iterator it(dir, ignored), end; !ignored && it != end;
       it.increment(ignored)) {
    const std::string name = it->path().filename().string();
    if (name.size() == packetName(0).size() && name.rfind("packet_", 0) == 0 &&
        name.compare(name.size() - 4, 4, ".bin") == 0)
      old.push_back(it->path());
  }
  for (const auto& path : old) std::filesystem::remove(path, ignored);
}

bool writeFile(const std::string& path, const PacketBuffer& packet) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(packet.data()), std::streamsize(packet.size()));
  return bool(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "screenreplay: usage: screenreplay SCENEDIR OUTDIR\n");
    return kUsageOrScene;
  }
  const std::string sceneDir = argv[1];
  const std::string outDir = argv[2];
  Scene scene;
  SceneError error;
  if (!readScene(sceneDir, scene, error)) return sceneFault(sceneDir, error);

  std::error_code made;
  std::filesystem::create_directories(outDir, made);
  // Binary, so that the lines end in a bare newline on Windows too.
  std::ofstream manifest(outDir + "/manifest.txt", std::ios::binary | std::ios::trunc);
  if (made || !manifest) return outputFault(outDir + "/manifest.txt");
  removeOldPackets(outDir);

  SceneReplay replay(scene.width, scene.height);
  if (!replay.apply(scene.setup, error)) return sceneFault(sceneDir, error);
  PacketBuffer packet;
  for (size_t i = 0; i < scene.cycles.size(); ++i) {
    const int cycle = static_cast<int>(i) + 1;
    if (!replay.apply(scene.cycles[i], error)) return sceneFault(sceneDir, error);
    if (!replay.runCycle(packet)) {
      manifest << cycle << " -\n";
      continue;
    }
    const std::string name = packetName(cycle);
    if (!writeFile(outDir + "/" + name, packet)) return outputFault(outDir + "/" + name);
    manifest << cycle << ' ' << packet.size() << '\n';
  }
  return manifest.flush() ? 0 : outputFault(outDir + "/manifest.txt");
}
