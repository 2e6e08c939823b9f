// Cost of path resolution: the game resolves every file name it opens, and
// most of its names are spelled in a case the disk does not use.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace {

double NsPerCall(const std::string& path, int calls) {
  auto start = std::chrono::steady_clock::now();
  size_t sink = 0;
  for (int i = 0; i < calls; ++i) sink += plat::ResolvePath(path).size();
  auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start);
  if (sink == 0) std::puts("");
  return ns.count() / calls;
}

}  // namespace

int main() {
  char tmpl[] = "/tmp/velkor-resolve-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  // A pack folder as the game has it: 51 levels and their replays.
  std::filesystem::create_directories(dir + "/Data/Packs/base/Levels");
  for (int i = 0; i <= 50; ++i) {
    std::ofstream(dir + "/Data/Packs/base/Levels/" + std::to_string(i) + ".doy") << "x";
  }
  const int calls = 20000;
  std::printf("exact spelling:       %8.0f ns/call\n",
              NsPerCall(dir + "/Data/Packs/base/Levels/7.doy", calls));
  std::printf("other case, 2 dirs:   %8.0f ns/call\n",
              NsPerCall(dir + "/data/packs/base/levels/7.doy", calls));
  std::printf("backslashes + case:   %8.0f ns/call\n",
              NsPerCall(dir + "\\DATA\\PACKS\\BASE\\LEVELS\\7.DOY", calls));
  std::printf("new file, other case: %8.0f ns/call\n",
              NsPerCall(dir + "/data/packs/base/levels/new.doy", calls));
  std::filesystem::remove_all(dir);
  return 0;
}
