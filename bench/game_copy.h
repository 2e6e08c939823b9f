// A throw-away game folder for benchmarks that run start-up: resources
// linked from the built game folder, a fresh Data/ with the built-in pack's
// folders and settings for the given driver, windowed.
#pragma once
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace vbench {

inline std::string MakeGameCopy(int driver) {
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/velkor-bench-XXXXXX";
  std::string dir = mkdtemp(tmpl);
  for (const auto& e : fs::directory_iterator(VELKOR_GAME_DIR)) {
    const std::string name = e.path().filename().string();
    if (name == "Data" || name == "velkor") continue;
    fs::create_symlink(e.path(), fs::path(dir) / name);
  }
  fs::create_directories(fs::path(dir) / "Data/Packs/base/Levels");
  fs::create_directories(fs::path(dir) / "Data/Packs/base/replays");
  const int32_t cfg[9] = {1000, 1000, 87, 83, 65, 68, 32, 0, driver};
  std::ofstream(dir + "/Data/config.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(cfg), sizeof(cfg));
  return dir;
}

}  // namespace vbench
