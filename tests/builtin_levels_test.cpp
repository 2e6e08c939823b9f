// The built-in campaign: every level file is well formed and every playable
// level is finished by its stored solution through the real play loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/builtin_levels.h"
#include "editor/autotile.h"
#include "frontend/startup.h"
#include "platform/gfx.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "services/levelfile.h"
#include "services/tiles.h"
#include "support/play_support.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace {

constexpr int kPlayableLevels = 50;

std::string SolutionPath(int n) {
  return std::string(VELKOR_SOURCE_DIR) + "/assets/levels/" + std::to_string(n) + ".solution";
}

bool FindBuiltin(int n, play::LevelData& out) {
  const std::string name = std::to_string(n) + ".doy";
  for (const assets::BuiltinFile& f : assets::BuiltinLevelFiles()) {
    if (name != f.name) continue;
    play::DecodeLevel(std::vector<uint8_t>(f.begin, f.end), out);
    return true;
  }
  return false;
}

int CountObjects(const play::LevelData& l, int code) {
  int n = 0;
  for (int x = 0; x < play::kLevelW; ++x)
    for (int y = 0; y < play::kLevelH; ++y) n += l.ObjectGrid[x][y] == code;
  return n;
}

// Cells whose stored frames differ from what the automatic tiling gives.
int FramesOff(const play::LevelData& l) {
  int n = 0;
  for (int x = 0; x < play::kLevelW; ++x)
    for (int y = 0; y < play::kLevelH; ++y) {
      const editor::TileFrames f = editor::ComputeTileFrames(l.TileGrid, x, y);
      n += f.edge != l.EdgeFrameGrid[x][y] || f.corner != l.CornerFrameGrid[x][y];
    }
  return n;
}

class BuiltinLevel : public ::testing::TestWithParam<int> {};

TEST_P(BuiltinLevel, IsValidAndItsSolutionFinishesIt) {
  const int n = GetParam();
  play::LevelData level;
  ASSERT_TRUE(FindBuiltin(n, level)) << n << ".doy is not built in";
  EXPECT_EQ(FramesOff(level), 0) << "edge or corner frames differ from the automatic tiling";
  EXPECT_FALSE(level.LevelName.empty());
  EXPECT_EQ(level.LevelAuthor, "Velkor team");
  if (n == 0) return;  // the title backdrop is not played
  EXPECT_EQ(CountObjects(level, 1), 1) << "starts";
  EXPECT_EQ(CountObjects(level, 2), 1) << "exits";
  EXPECT_GE(CountObjects(level, 3), 1) << "coins";

  play::PlayScript script;
  std::string error;
  ASSERT_TRUE(play::LoadPlayScript(SolutionPath(n), script, error)) << error;
  script.deaths = 0;
  play::PlayRunOptions options;
  options.level = n;
  const play::PlayRunResult r = play::RunPlayScript(level, script, options);
  EXPECT_TRUE(r.finished) << play::DescribeRun(r);
  EXPECT_EQ(r.deaths, 0) << play::DescribeRun(r);
  EXPECT_EQ(r.coinsLeft, 0) << play::DescribeRun(r);
}

INSTANTIATE_TEST_SUITE_P(Campaign, BuiltinLevel, ::testing::Range(0, kPlayableLevels + 1));

// One level of each row drawn in play, halfway through its solution, for
// looking at; the drawn run must end as the headless one does.
TEST(BuiltinLevelShots, OneLevelOfEachRowDrawnMidRun) {
  vtest::GameSandbox sandbox(2);
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  for (int n : {8, 15, 26, 33, 43}) {
    vtest::ResetPlayState();
    play::LevelData level;
    ASSERT_TRUE(FindBuiltin(n, level));
    play::PlayScript script;
    std::string error;
    ASSERT_TRUE(play::LoadPlayScript(SolutionPath(n), script, error)) << error;
    const int shotStep = script.lines.empty() ? 1 : script.lines.back().step / 2;
    bool shot = false;
    play::PlayRunOptions o;
    o.draw = true;
    o.level = n;
    o.onFrame = [&](int) {
      if (!shot && play::Run.Player && play::Run.StepCounter >= shotStep)
        shot = plat::SaveScreenshot(vtest::ShotPath("campaign_" + std::to_string(n)));
      return true;
    };
    const play::PlayRunResult r = play::RunPlayScript(level, script, o);
    EXPECT_TRUE(shot) << n;
    EXPECT_TRUE(r.finished) << n << ": " << play::DescribeRun(r);
  }
}

}  // namespace

namespace {

// Where the screens drawn over the title level put their text and buttons:
// the title picture, the main menu's buttons, the credits' lines, the
// options' buttons, pack list and upload button, the key screen's title,
// labels and key names, and the back buttons. No block of level 0 may lie
// under them, or the text runs over it.
TEST(TitleLevel, LeavesTheScreensTextAndButtonAreasClear) {
  play::LevelData title;
  ASSERT_TRUE(FindBuiltin(0, title));
  const struct {
    const char* what;
    int x, y, w, h;
  } areas[] = {{"title", 20, 20, 340, 80},           {"main menu buttons", 300, 200, 200, 232},
               {"credits lines", 200, 100, 430, 360}, {"options buttons", 96, 96, 330, 384},
               {"pack list", 450, 100, 300, 384},     {"upload button", 448, 488, 160, 36},
               {"key screen title", 250, 40, 300, 48}, {"key names", 100, 200, 560, 270},
               {"back button", 688, 520, 84, 40}};
  for (const auto& a : areas)
    for (int x = a.x / play::TileSize; x <= (a.x + a.w - 1) / play::TileSize; ++x)
      for (int y = a.y / play::TileSize; y <= (a.y + a.h - 1) / play::TileSize; ++y)
        EXPECT_LT(title.TileGrid[x][y], 0) << a.what << " over the cell " << x << "," << y;
}

}  // namespace
