// Simulation speed with the rope, the gun and particle bursts busy all the
// time, as a multiple of real time (480 steps per second), five runs each,
// beside play_bench's plain simulation measured in the same runs (the ratio
// holds across machines).
//
// The figure swings from a ceiling while firing at walls, lets go, runs
// into a killing zone and starts again: every life throws and releases the
// rope several times, fills the air with bullets and ends in a death burst
// and a spawn sparkle, so the particle list stays full.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/play_figures.h"
#include "bench/present_floor.h"
#include "platform/clock.h"
#include "play/bullet.h"
#include "play/harness.h"
#include "play/particle.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/level.h"

namespace {

play::LevelData SwingLevel() {
  play::LevelData l;
  l.AllowMovement = l.AllowShooting = l.AllowRope = 1;
  for (int x = 0; x < play::kLevelW; ++x) {
    for (int y = 0; y < play::kLevelH; ++y) {
      l.EdgeFrameGrid[x][y] = 0;
      l.CornerFrameGrid[x][y] = 15;
    }
    for (int y = 31; y < play::kLevelH; ++y) l.TileGrid[x][y] = 0;  // floor
    l.TileGrid[x][4] = (x % 7 == 3) ? 61 : 60;  // ceiling with no-rope gaps
  }
  for (int y = 8; y < 26; ++y) l.TileGrid[2][y] = l.TileGrid[47][y] = 60;  // walls to shoot at
  for (int x = 12; x < 40; x += 9) l.TileGrid[x][12] = 20 + x % 20;       // changers in the air
  for (int y = 27; y < 31; ++y) l.TileGrid[44][y] = 45;                   // the killing zone
  for (int x = 6; x < 40; x += 3) l.ObjectGrid[x][30] = play::kObjCoin;
  l.ObjectGrid[5][30] = play::kObjStart;
  l.ObjectGrid[1][1] = play::kObjExit;  // out of reach
  return l;
}

// A floor of changers in alternating colours: running over it changes the
// figure's colour every 64 steps, each change a burst of 51 particles that
// lives about 1240 steps, so some 1000 particles are always alive.
play::LevelData ChangerFloorLevel() {
  play::LevelData l = SwingLevel();
  for (int x = 0; x < play::kLevelW; ++x) l.TileGrid[x][31] = 20 + (x % 2) * 7;
  for (int x = 0; x < play::kLevelW; ++x) l.ObjectGrid[x][30] = 0;
  l.ObjectGrid[5][30] = play::kObjStart;
  return l;
}

// Back and forth over the changers for the whole run, firing, with a rope
// throw at each turn.
std::string ChangerScript() {
  std::string text = "limit 480000\ndeaths 1000000\n";
  for (int step = 1, n = 0; step < 480000; step += 2400, ++n) {
    const char* way = n % 2 ? "left fire aim=10,300" : "right fire aim=790,300";
    text += std::to_string(step) + " " + way + " rope\n";
    text += std::to_string(step + 300) + " " + way + "\n";
  }
  return text;
}

// One life: throw, swing and fire for a while, re-throw, then run right
// into the zone.
const char* kScript =
    "limit 480000\ndeaths 1000000\n"
    "1    rope fire aim=300,40\n"
    "1500 right rope fire aim=790,200\n"
    "2500 fire aim=10,150\n"
    "2550 rope fire aim=500,40\n"
    "4000 left rope fire aim=10,300\n"
    "5000 right jump fire aim=790,300\n";

struct Load {
  long long steps = 0, ropeSteps = 0, bullets = 0, particles = 0;
  size_t particleMax = 0;
};

// Runs the script once from the seed counting the load, then `runs` times
// clean for the time, each beside a run of the plain play simulation.
void Measure(const char* name, const play::LevelData& level, const char* text, const char* goal,
             int runs) {
  play::PlayScript script;
  std::string error;
  if (!play::ParsePlayScript(text, script, error)) {
    std::fprintf(stderr, "script: %s\n", error.c_str());
    std::exit(1);
  }
  Load load;
  play::PlayRunOptions o;
  o.onStep = [&] {
    ++load.steps;
    if (play::Run.Player && play::Run.Player->ropeState != play::kRopeIdle) ++load.ropeSteps;
    load.bullets += play::Bullets.BulletList.Count();
    const size_t n = play::Particles.ParticleList.size();
    load.particles += static_cast<long long>(n);
    if (n > load.particleMax) load.particleMax = n;
  };
  plat::SeedRnd(1);
  const play::PlayRunResult r = play::RunPlayScript(level, script, o);
  const double steps = static_cast<double>(load.steps);
  std::printf("%s: %s\n", name, play::DescribeRun(r).c_str());
  std::printf("%s: rope out %.0f%% of steps, %.1f bullets and %.0f particles on average"
              " (%zu at most)\n",
              name, 100.0 * static_cast<double>(load.ropeSteps) / steps,
              static_cast<double>(load.bullets) / steps,
              static_cast<double>(load.particles) / steps, load.particleMax);
  std::vector<double> times, ratios;
  for (int i = 0; i < runs; ++i) {
    plat::SeedRnd(1);
    const auto t0 = std::chrono::steady_clock::now();
    const play::PlayRunResult run = play::RunPlayScript(level, script);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double x = run.runSteps / s / 480.0;
    const double plain = bench::MeasurePlaySimulation().TimesRealTime();
    times.push_back(x);
    ratios.push_back(x / plain);
    std::printf("%s: run %d: %d steps in %.3f s = %.0fx real time; play_bench simulation %.0fx;"
                " ratio %.3f\n",
                name, i + 1, run.totalSteps, s, x, plain, x / plain);
  }
  std::printf("%s: median %.0fx real time (lowest %.0fx), %.3f of play_bench's simulation (%s)\n",
              name, bench::Median(times), *std::min_element(times.begin(), times.end()),
              bench::Median(ratios), goal);
  std::fflush(stdout);
}

}  // namespace

int main() {
  if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
  Measure("swing", SwingLevel(), kScript, "goal >= 2000x in every run", 5);
  Measure("changers", ChangerFloorLevel(), ChangerScript().c_str(),
          "particle flood, for reference", 1);
  return 0;
}
