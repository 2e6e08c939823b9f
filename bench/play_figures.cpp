#include "bench/play_figures.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/clock.h"
#include "services/level.h"
#include "play/harness.h"

namespace bench {

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

namespace {

// Runs back and forth along the floor, jumping, firing and throwing the rope.
const char* kScript =
    "limit 480000\ndeaths 1000000\n"
    "1 right fire aim=780,40\n"
    "600 right jump rope aim=600,200\n"
    "1400 right fire aim=10,300\n"
    "4000 left jump fire aim=10,100\n"
    "7600 left rope aim=300,250\n"
    "8000 right jump fire aim=790,300\n";

}  // namespace

SimulationFigure MeasurePlaySimulation() {
  static const play::LevelData level = FullLevel();
  play::PlayScript script;
  std::string error;
  if (!play::ParsePlayScript(kScript, script, error)) {
    std::fprintf(stderr, "script: %s\n", error.c_str());
    std::exit(1);
  }
  plat::SeedRnd(1);
  const auto t0 = std::chrono::steady_clock::now();
  const play::PlayRunResult r = play::RunPlayScript(level, script);
  SimulationFigure f;
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  f.runSteps = r.runSteps;
  f.totalSteps = r.totalSteps;
  f.summary = play::DescribeRun(r);
  return f;
}

}  // namespace bench
