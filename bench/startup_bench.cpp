// Start-up to the first frame, headless: registers the levels, reads the
// settings, opens the mode, loads every picture, font, button and sound,
// then draws and flips one frame. Prints the figures of several runs.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/game_copy.h"
#include "frontend/dispatcher.h"
#include "frontend/startup.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/system.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::InitProcess(argc, argv);
  const int runs = 5;
  for (int driver : {1, 2}) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
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
      ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      plat::EndGraphics();
      fs::current_path("/");
      fs::remove_all(dir);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start-up to first frame, driver %d (%s): median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n",
                driver, driver == 1 ? "OpenGL" : "software", ms[runs / 2], ms.front(), ms.back(), runs);
  }
  return 0;
}
