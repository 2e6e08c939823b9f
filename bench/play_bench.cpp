// Frame cost and play speed. Every frame figure is also given as a ratio to
// the presenting floor (bench/present_floor.h) measured in the same process,
// in rounds interleaved with the frames', so the goals hold on any machine
// and under a shared machine's changing load:
//   - per driver: an empty frame (clear and flip), a full play frame, a
//     slow-motion frame (glow and bloom) and a main-menu frame, each the
//     median of five rounds;
//   - the headless simulation as a multiple of real time (480 steps/s).
//
//   play_bench            floor, simulation, then each driver in a child process
//   play_bench --draw N   the frames of driver N only (1 OpenGL, 2 software)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/game_copy.h"
#include "bench/play_figures.h"
#include "bench/present_floor.h"
#include "frontend/screens.h"
#include "frontend/startup.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "play/coins.h"
#include "play/draw.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/gamestate.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 5;
constexpr int kFrames = 200;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Milliseconds per frame of Cls, draw() and Flip, after a short warm-up.
double FrameMs(const std::function<void()>& draw) {
  auto frame = [&] {
    plat::Cls();
    draw();
    plat::Flip();
  };
  for (int i = 0; i < 10; ++i) frame();
  const auto t0 = Clock::now();
  for (int i = 0; i < kFrames; ++i) frame();
  return MsSince(t0) / kFrames;
}

// The real main menu, timed from flip to flip once its fade-in is over.
double MenuFrameMs() {
  constexpr int kFadeFrames = 60;
  Clock::time_point t0;
  plat::test::SetFrameHook([&](int64_t f) {
    if (f == kFadeFrames) t0 = Clock::now();
    if (f == kFadeFrames + kFrames) fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue);
  });
  fe::Game.GameState = fe::kStateMainMenu;
  fe::RunMainMenu();
  const double ms = MsSince(t0) / kFrames;
  plat::test::SetFrameHook(nullptr);
  return ms;
}

struct Figure {
  const char* what;
  double goal;
  std::vector<double> ms;
};

int Drawing(int driver) {
  const std::string dir = vbench::MakeGameCopy(driver);
  fs::current_path(dir);
  plat::SetProgramDir(dir);
  plat::test::UseManualClock(100000, 1000.0 / 60.0);  // Flip does not wait
  fe::StartUp();
  if (!plat::GraphicsOpen()) {
    std::fprintf(stderr, "driver %d: no graphics\n", driver);
    return 1;
  }
  const play::LevelData level = bench::FullLevel();
  std::vector<double> floor;
  Figure empty{"empty frame", 1.2, {}}, normal{"play frame", 4, {}},
      slow{"slow-motion frame", 8, {}}, menu{"main-menu frame", 3, {}};
  for (int r = 0; r < kRounds; ++r) {
    floor.push_back(bench::PresentingFloorMs(kFrames));
    empty.ms.push_back(FrameMs([] {}));
    play::StageLevel(level, 500, 300);
    play::Run.TimeRate = 1.0f;
    normal.ms.push_back(FrameMs([] { play::DrawGame(); }));
    play::Run.TimeRate = 0.3f;
    slow.ms.push_back(FrameMs([] { play::DrawGame(); }));
    play::Run.TimeRate = 1.0f;
    play::Run.Player.reset();
    menu.ms.push_back(MenuFrameMs());
  }
  const double base = bench::Median(floor);
  const char* name = driver == 1 ? "OpenGL" : "software";
  std::printf("draw %s (%s): floor in this process %.3f ms (rounds", name,
              plat::RendererName().c_str(), base);
  for (double ms : floor) std::printf(" %.3f", ms);
  std::printf(")\n");
  for (const Figure* f : {&empty, &normal, &slow, &menu}) {
    const double m = bench::Median(f->ms);
    std::printf("draw %s: %-17s %7.3f ms = %5.2fx floor (goal <= %gx)%s\n", name, f->what, m,
                m / base, f->goal, m / base <= f->goal ? "" : "  OVER");
  }
  std::fflush(stdout);
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (argc == 3 && std::string(argv[1]) == "--draw") return Drawing(std::atoi(argv[2]));

  std::vector<double> floor, sim;
  for (int r = 0; r < kRounds; ++r) floor.push_back(bench::PresentingFloorMs());
  bench::PrintFloor("play_bench", floor);

  bench::SimulationFigure last;
  for (int r = 0; r < kRounds; ++r) {
    last = bench::MeasurePlaySimulation();
    sim.push_back(last.TimesRealTime());
  }
  std::printf("simulation: %s\n", last.summary.c_str());
  std::printf("simulation: %d steps (%d with the figure), median of %d runs %.0fx real time"
              " (runs", last.totalSteps, last.runSteps, kRounds, bench::Median(sim));
  for (double x : sim) std::printf(" %.0fx", x);
  std::printf("; goal >= 2000x)\n");
  // The children write to the same stream: ours must be out first.
  std::fflush(stdout);

  int rc = 0;
  for (int driver : {1, 2}) {
    const std::string cmd = "\"" + fs::read_symlink("/proc/self/exe").string() + "\" --draw " +
                            std::to_string(driver);
    rc |= std::system(cmd.c_str()) != 0;
  }
  return rc;
}
