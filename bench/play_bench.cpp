// Play speed: the headless simulation on a full 50x36 level as a multiple
// of real time (480 steps per second), and the time to draw one frame of
// play with each renderer (offscreen).
//
//   play_bench            simulation, then each driver in a child process
//   play_bench --draw N   drawing only, driver N (1 OpenGL, 2 software)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "frontend/startup.h"
#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "play/coins.h"
#include "play/draw.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/config.h"
#include "services/level.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// Every row used: a wall of blocks around the field, platforms of mixed
// colours, changers, zones, neutral blocks and no-rope zones, and coins.
play::LevelData FullLevel() {
  play::LevelData l;
  l.AllowMovement = l.AllowShooting = l.AllowRope = 1;
  std::mt19937 rng(7);
  for (int x = 0; x < play::kLevelW; ++x)
    for (int y = 0; y < play::kLevelH; ++y) {
      l.EdgeFrameGrid[x][y] = static_cast<int>(rng() % 25);
      l.CornerFrameGrid[x][y] = static_cast<int>(rng() % 16);
    }
  for (int x = 0; x < play::kLevelW; ++x) {
    l.TileGrid[x][0] = 60;
    for (int y = 31; y < play::kLevelH; ++y) l.TileGrid[x][y] = 60;
  }
  for (int y = 0; y < play::kLevelH; ++y) l.TileGrid[0][y] = l.TileGrid[49][y] = 60;
  for (int row = 4; row < 26; row += 3)
    for (int x = 2; x < 48; ++x) {
      if ((x / 4 + row) % 3 == 0) continue;
      // Zones only in the upper rows, out of the figure's reach.
      const int kinds[] = {0, 20 + static_cast<int>(rng() % 20), 60, 61,
                           (row < 12 ? 40 : 1) + static_cast<int>(rng() % 19)};
      l.TileGrid[x][row] = kinds[rng() % 5];
    }
  for (int x = 3; x < 47; x += 2) l.ObjectGrid[x][29] = play::kObjCoin;
  l.ObjectGrid[2][30] = play::kObjStart;
  l.ObjectGrid[1][1] = play::kObjExit;  // out of reach: the run goes on
  return l;
}

// Runs back and forth along the floor, jumping, firing and throwing the rope.
const char* kScript =
    "limit 480000\ndeaths 1000000\n"
    "1 right fire aim=780,40\n"
    "600 right jump rope aim=600,200\n"
    "1400 right fire aim=10,300\n"
    "4000 left jump fire aim=10,100\n"
    "7600 left rope aim=300,250\n"
    "8000 right jump fire aim=790,300\n";

int Simulation() {
  const play::LevelData level = FullLevel();
  play::PlayScript script;
  std::string error;
  if (!play::ParsePlayScript(kScript, script, error)) {
    std::fprintf(stderr, "script: %s\n", error.c_str());
    return 1;
  }
  plat::SeedRnd(1);
  const auto t0 = Clock::now();
  const play::PlayRunResult r = play::RunPlayScript(level, script);
  const double s = Seconds(t0, Clock::now());
  // Conservative: only the steps with a live figure count, against the
  // time of all steps (countdowns after deaths included).
  const double stepsPerSecond = r.runSteps / s;
  std::printf("simulation: %s\n", play::DescribeRun(r).c_str());
  std::printf("simulation: %d steps (%d with the figure) in %.3f s = %.0f steps/s = %.0fx real time"
              " (goal >= 2000x)\n",
              r.totalSteps, r.runSteps, s, stepsPerSecond, stepsPerSecond / 480.0);
  return 0;
}

// A throw-away game folder: resources linked, settings for the driver.
std::string MakeGameFolder(int driver) {
  const fs::path dir = fs::temp_directory_path() / ("velkor_play_bench_" + std::to_string(driver));
  fs::remove_all(dir);
  fs::create_directories(dir / "Data/Packs/base/Levels");
  fs::create_directories(dir / "Data/Packs/base/replays");
  for (const auto& e : fs::directory_iterator(VELKOR_GAME_DIR)) {
    const std::string name = e.path().filename().string();
    if (name != "Data" && name != "velkor") fs::create_symlink(e.path(), dir / name);
  }
  const int32_t config[9] = {0, 0, 87, 83, 65, 68, 32, 0, driver};
  std::ofstream(dir / "Data/config.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(config), sizeof(config));
  return dir.string();
}

// Milliseconds per frame of `frames` frames of Cls, draw() and Flip.
template <class F>
double FrameMs(int frames, F&& draw) {
  const auto t0 = Clock::now();
  for (int i = 0; i < frames; ++i) {
    plat::Cls();
    draw();
    plat::Flip();
  }
  return Seconds(t0, Clock::now()) * 1000.0 / frames;
}

int Drawing(int driver) {
  const std::string dir = MakeGameFolder(driver);
  fs::current_path(dir);
  plat::SetProgramDir(dir);
  plat::test::UseManualClock(100000, 1000.0 / 60.0);  // Flip does not wait
  fe::StartUp();
  if (!plat::GraphicsOpen()) {
    std::fprintf(stderr, "driver %d: no graphics\n", driver);
    return 1;
  }
  const play::LevelData level = FullLevel();
  static_cast<play::LevelData&>(play::Level) = level;
  play::SetupLevelObjects(0);
  play::RenderLevelGlow(0, 0);
  plat::SetScale(1, 1);
  play::CacheLevelPicture();
  play::SpawnPlayer();
  play::Run.Player->aimX = 500;
  play::Run.Player->aimY = 300;

  const int frames = 600;
  const double empty = FrameMs(frames, [] {});
  play::Run.TimeRate = 1.0f;
  const double normal = FrameMs(frames, [] { play::DrawGame(); });
  play::Run.TimeRate = 0.3f;
  const double slow = FrameMs(frames, [] { play::DrawGame(); });
  const char* name = driver == 1 ? "OpenGL" : "software";
  std::printf("draw %-8s: %.3f ms per full play frame, %.3f ms in slow motion (glow and bloom);"
              " empty frame %.3f ms; net %.3f / %.3f ms (goal < %s)\n",
              name, normal, slow, empty, normal - empty, slow - empty,
              driver == 1 ? "1 ms" : "4 ms");
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--draw") return Drawing(std::atoi(argv[2]));
  if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
  int rc = Simulation();
  for (int driver : {1, 2}) {
    const std::string cmd = std::string("\"") + argv[0] + "\" --draw " + std::to_string(driver);
    rc |= std::system(cmd.c_str()) != 0;
  }
  return rc;
}
