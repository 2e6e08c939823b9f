#include "support/play_support.h"

#include "platform/headless.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include "play/bullet.h"
#include "play/particle.h"
#include "play/playloop.h"
#include "play/replay.h"
#include "play/runstate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"

namespace vtest {

void ResetPlayState() {
  play::ResetInput();
  play::ResetLevel();
  play::ResetRun();
  play::ResetPopup();
  play::ResetBullets();
  play::ResetParticles();
  play::ResetReplay();
  play::Hooks = play::PlayHooks{};
  play::SetInputSource(nullptr);
}

void FreshPlayTest::SetUp() {
  ResetAllState();
  ResetPlayState();
  plat::test::UseManualClock(100000, 0.0);
}

void FreshPlayTest::TearDown() {
  ResetPlayState();
  ResetAllState();
}

play::LevelData BlankLevel() {
  play::LevelData level;
  level.AllowMovement = level.AllowShooting = level.AllowRope = 1;
  return level;
}

void FillTiles(play::LevelData& level, int x0, int y0, int x1, int y1, int code) {
  for (int x = x0; x <= x1; ++x)
    for (int y = y0; y <= y1; ++y) level.TileGrid[x][y] = code;
}

void PutObject(play::LevelData& level, int x, int y, int code) { level.ObjectGrid[x][y] = code; }

play::PlayScript Script(const std::string& text) {
  play::PlayScript s;
  std::string error;
  EXPECT_TRUE(play::ParsePlayScript(text, s, error)) << error;
  return s;
}

}  // namespace vtest
