// Start-up to the first frame, headless: registers the levels, reads the
// settings, opens the mode, loads every picture, font, button and sound,
// then draws and flips one frame.
//
// Each driver runs in a process of its own, so its first start is a real
// first start (shared libraries, the GL driver, caches all cold in the
// process) and is printed on its own; the restarts after it inside the same
// process are warm and given as their median. The presenting floor of the
// same run comes first, and every figure is also a ratio to it.
//
//   startup_bench            floor, then each driver in a child process
//   startup_bench --driver N the starts of driver N only
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/game_copy.h"
#include "bench/present_floor.h"
#include "frontend/dispatcher.h"
#include "frontend/startup.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

double StartOnce(int driver) {
  const std::string dir = vbench::MakeGameCopy(driver);
  fs::current_path(dir);
  plat::SetProgramDir(dir);
  plat::SetProgramArgs({dir + "/velkor"});
  fe::ResetStartupGuards();
  const auto t0 = std::chrono::steady_clock::now();
  fe::StartUp();
  fe::EnterStartState();
  plat::Cls();
  plat::Flip();
  const auto t1 = std::chrono::steady_clock::now();
  plat::EndGraphics();
  fs::current_path("/");
  fs::remove_all(dir);
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

int Starts(int driver) {
  const int runs = 5;
  std::vector<double> ms, floor;
  for (int r = 0; r < runs; ++r) {
    ms.push_back(StartOnce(driver));  // the first one before anything else in the process
    floor.push_back(bench::PresentingFloorMs(100));
  }
  const double base = bench::Median(floor);
  const std::vector<double> warm(ms.begin() + 1, ms.end());
  std::printf("start-up to first frame, driver %d (%s): first start %.1f ms = %.0fx floor;"
              " %d warm restarts median %.1f ms = %.0fx floor (min %.1f, max %.1f);"
              " floor in this process %.3f ms\n",
              driver, driver == 1 ? "OpenGL" : "software", ms[0], ms[0] / base, runs - 1,
              bench::Median(warm), bench::Median(warm) / base,
              *std::min_element(warm.begin(), warm.end()),
              *std::max_element(warm.begin(), warm.end()), base);
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::InitProcess(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--driver") return Starts(std::atoi(argv[2]));
  std::vector<double> floor;
  for (int r = 0; r < 5; ++r) floor.push_back(bench::PresentingFloorMs());
  bench::PrintFloor("startup_bench", floor);
  int rc = 0;
  for (int driver : {1, 2}) {
    // argv[0] may be relative to the folder InitProcess left.
    const std::string cmd = "\"" + fs::read_symlink("/proc/self/exe").string() + "\" --driver " +
                            std::to_string(driver);
    rc |= std::system(cmd.c_str()) != 0;
  }
  return rc;
}
