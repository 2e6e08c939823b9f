// One full editor frame on a level with every cell filled (shadows and
// corners everywhere), the toolbar and the help page shown, under both
// drivers, beside the presenting floor (bench/present_floor.h) measured in
// the same run. Also the time of a whole-grid re-tiling.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/game_copy.h"
#include "bench/present_floor.h"
#include "editor/autotile.h"
#include "editor/editor.h"
#include "frontend/startup.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "services/gamestate.h"
#include "services/level.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Blocks, changers and neutral blocks in patches, so that the map carries
// every kind of edge and inner corner, a few zones and coins.
void FillEveryCell(play::LevelVars& l) {
  for (int x = 0; x < play::kLevelW; ++x) {
    for (int y = 0; y < play::kLevelH; ++y) {
      const int patch = (x / 3 + y / 2) % 23;
      l.TileGrid[x][y] = patch < 20 ? patch + 20 * ((x / 7) % 2) : patch == 20 ? 60 : 40 + patch;
      l.ObjectGrid[x][y] = (x * 7 + y * 3) % 29 == 0 ? play::kObjCoin : play::kObjNone;
    }
  }
  editor::AutoTileAll(l.TileGrid, l.EdgeFrameGrid, l.CornerFrameGrid);
}

// Median of per-frame times over `frames` frames of `frame`.
template <class F>
double MedianFrameMs(int frames, F frame) {
  std::vector<double> ms;
  for (int i = 0; i < frames; ++i) {
    const Clock::time_point t0 = Clock::now();
    frame();
    ms.push_back(Ms(Clock::now() - t0));
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void RunDriver(int driver) {
  const std::string dir = vbench::MakeGameCopy(driver);
  fs::create_directories(dir + "/Data/Packs/bench/levels");
  fs::create_directories(dir + "/Data/Packs/bench/replays");
  fs::current_path(dir);
  plat::SetProgramDir(dir);
  plat::SetProgramArgs({dir + "/velkor"});
  fe::ResetStartupGuards();
  fe::StartUp();
  plat::test::UseManualClock();
  fe::Game.CurrentPack = "bench";
  fe::Game.GameState = fe::kStateEditor;
  FillEveryCell(play::Level);
  play::SaveLevel(0);
  editor::Editor.EditorLevel = 0;
  editor::EnterEditor();
  editor::Editor.ToolbarVisible = 1;
  editor::Editor.EditorHelpVisible = 1;
  editor::Editor.EditorHelpTopic = 8;
  plat::test::MouseMove(300, 540);
  const int frames = 300;
  for (int i = 0; i < 30; ++i) editor::EditorFrame();  // warm-up, past the input delay
  const double floor = bench::PresentingFloorMs(frames);
  const double frame = MedianFrameMs(frames, [] { editor::EditorFrame(); });
  // A stroke of the draw tool: one cell and its neighbours' frames change
  // in every frame.
  int step = 0;
  const double stroke = MedianFrameMs(frames, [&step] {
    play::LevelVars& l = play::Level;
    const int x = step % play::kLevelW, y = (step / play::kLevelW) % play::kLevelH;
    l.TileGrid[x][y] = l.TileGrid[x][y] == 60 ? 7 : 60;
    editor::AutoTileRect(l.TileGrid, l.EdgeFrameGrid, l.CornerFrameGrid, x - 1, y - 1, x + 1, y + 1);
    ++step;
    editor::EditorFrame();
  });
  std::printf("driver %d (%-8s) presenting floor %7.3f ms   editor frame %7.3f ms (ratio %5.2f)"
              "   drawing frame %7.3f ms (ratio %5.2f)\n",
              driver, plat::RendererName().c_str(), floor, frame, frame / floor, stroke, stroke / floor);
  plat::EndGraphics();
  fs::current_path("/");
  fs::remove_all(dir);
}

void AutoTileFigure() {
  play::LevelVars& l = play::Level;
  FillEveryCell(l);
  const int runs = 2000;
  const Clock::time_point t0 = Clock::now();
  for (int i = 0; i < runs; ++i) editor::AutoTileAll(l.TileGrid, l.EdgeFrameGrid, l.CornerFrameGrid);
  std::printf("AutoTileAll on a full 50x36 grid: %.2f us per call (%d calls)\n",
              1000.0 * Ms(Clock::now() - t0) / runs, runs);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::InitProcess(argc, argv);
  std::vector<double> floor;
  for (int i = 0; i < 5; ++i) floor.push_back(bench::PresentingFloorMs());
  bench::PrintFloor("editor_bench", floor);
  std::printf("one editor frame: every cell filled, toolbar and help page shown (median of 300)\n");
  for (int driver : {plat::kDriverOpenGL, plat::kDriverSoftware}) RunDriver(driver);
  AutoTileFigure();
  return 0;
}
