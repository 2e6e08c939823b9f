// What a records file with one huge name line costs to load: a whole
// records file of short names is the baseline; the same file with a name of
// 100 MiB and no line end must take time in proportion to its bytes, and
// keep only the first characters of the name.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "services/config.h"
#include "services/gamestate.h"

namespace fs = std::filesystem;

namespace {

void WriteRecords(const fs::path& file, size_t hugeName) {
  std::ofstream out(file, std::ios::binary);
  for (int i = 0; i < 255; ++i) {
    const int32_t t = 1000 + i;
    out.write(reinterpret_cast<const char*>(&t), 4);
  }
  for (int i = 0; i < 255; ++i) {
    if (i == 5 && hugeName > 0) {
      const std::string chunk(1 << 20, 'x');
      for (size_t done = 0; done < hugeName; done += chunk.size()) out << chunk;
      return;  // no line end, nothing after it
    }
    out << "name" << i << "\r\n";
  }
}

double LoadMs(int repeats) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) fe::LoadRecords();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() /
         repeats;
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("velkor_long_line_" + std::to_string(::getpid()));
  fs::create_directories(dir / "data/packs/base");
  fs::current_path(dir);
  const fs::path file = dir / "data/packs/base/scores.dat";

  WriteRecords(file, 0);
  const double base = LoadMs(200);
  WriteRecords(file, size_t{100} << 20);
  const double huge = LoadMs(3);
  std::printf("records load, short names: %.3f ms\n", base);
  std::printf("records load, one 100 MiB name: %.1f ms (%.0fx the baseline, %.2f ns per byte); name kept: \"%s\"\n",
              huge, huge / base, huge * 1e6 / static_cast<double>(size_t{100} << 20),
              fe::Records.RecordNames[1][0].c_str());
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}
