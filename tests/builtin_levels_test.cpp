// The built-in campaign: every level file is well formed and every playable
// level is finished by its stored solution through the real play loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/builtin_levels.h"
#include "editor/autotile.h"
#include "play/harness.h"
#include "play/levelfile.h"

namespace {

constexpr int kPlayableLevels = 50;

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

  const std::string path =
      std::string(VELKOR_SOURCE_DIR) + "/assets/levels/" + std::to_string(n) + ".solution";
  play::PlayScript script;
  std::string error;
  ASSERT_TRUE(play::LoadPlayScript(path, script, error)) << error;
  script.deaths = 0;
  play::PlayRunOptions options;
  options.level = n;
  const play::PlayRunResult r = play::RunPlayScript(level, script, options);
  EXPECT_TRUE(r.finished) << play::DescribeRun(r);
  EXPECT_EQ(r.deaths, 0) << play::DescribeRun(r);
  EXPECT_EQ(r.coinsLeft, 0) << play::DescribeRun(r);
}

INSTANTIATE_TEST_SUITE_P(Campaign, BuiltinLevel, ::testing::Range(0, kPlayableLevels + 1));

}  // namespace
