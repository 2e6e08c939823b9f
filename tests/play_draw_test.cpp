// A level in play drawn by both renderers (offscreen): the countdown with
// the ready and go banners, the running figure with coins, edges and the
// status bar, and the glow in slow motion. The pictures are written to
// <build>/screens/ for looking at; the checks here catch a blank or wrong frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "frontend/resources.h"
#include "frontend/startup.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/harness.h"
#include "play/tavik.h"
#include "support/play_support.h"
#include "support/sandbox.h"

namespace fs = std::filesystem;

namespace {

uint32_t Pixel(const std::vector<uint32_t>& px, int x, int y) { return px[y * 800 + x]; }
int Red(uint32_t p) { return p & 255; }
int Green(uint32_t p) { return (p >> 8) & 255; }
int Blue(uint32_t p) { return (p >> 16) & 255; }
int Brightness(const std::vector<uint32_t>& px, int x0, int y0, int x1, int y1) {
  long sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = Pixel(px, x, y);
      sum += Red(p) + Green(p) + Blue(p);
    }
  return static_cast<int>(sum / ((x1 - x0) * (y1 - y0)));
}

class PlayDrawTest : public ::testing::TestWithParam<int> {};

TEST_P(PlayDrawTest, LevelInPlayUnderBothDrivers) {
  const int driver = GetParam();
  vtest::GameSandbox sandbox(driver);
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  vtest::ResetPlayState();

  std::vector<uint8_t> bytes;
  ASSERT_TRUE(plat::LoadFileBytes("incbin::1.doy", bytes));
  play::LevelData level;
  play::DecodeLevel(bytes, level);

  const std::string outDir = std::string(VELKOR_BINARY_DIR) + "/screens";
  fs::create_directories(outDir);
  const std::string tag = driver == 1 ? "gl" : "soft";
  auto shot = [&](const std::string& name) {
    const std::string path = outDir + "/play_" + tag + "_" + name + ".png";
    EXPECT_TRUE(plat::SaveScreenshot(path)) << path;
    return plat::ReadTargetPixels();
  };

  std::vector<uint32_t> ready, go, running, slow;
  bool slowTaken = false;
  play::PlayRunOptions o;
  o.draw = true;
  o.startAimX = 700;
  o.startAimY = 300;
  o.onFrame = [&](int) {
    const play::RunVars& r = play::Run;
    if (ready.empty() && r.BannerState == 2 && r.ReadyScale >= 1.0f) ready = shot("ready");
    if (go.empty() && r.BannerState == 3 && r.GoScale >= 1.0f) go = shot("go");
    if (running.empty() && r.Player && r.StepCounter > 1500) running = shot("running");
    if (!slowTaken && r.Player && r.TimeRate < 0.35f) {
      slow = shot("slowmo");
      slowTaken = true;
    }
    return !slowTaken;
  };
  play::RunPlayScript(level, vtest::Script("limit 20000\n1 right fire aim=700,300\n1600 right slow\n"), o);
  ASSERT_FALSE(ready.empty());
  ASSERT_FALSE(go.empty());
  ASSERT_FALSE(running.empty());
  ASSERT_FALSE(slow.empty());

  // Ready is red, go is green, both in the middle of a darkened field.
  const uint32_t r = Pixel(ready, 400, 300), g = Pixel(go, 400, 300);
  EXPECT_GT(Red(r), Green(r));
  EXPECT_GT(Green(g), Red(g));
  // The countdown darkens the field; the run does not.
  EXPECT_LT(Brightness(ready, 0, 0, 800, 100), Brightness(running, 0, 0, 800, 100));
  // The glow brightens the field in slow motion.
  EXPECT_GT(Brightness(slow, 0, 0, 800, 570), Brightness(running, 0, 0, 800, 570));
  // The status bar below y = 576 holds the time text in the figure's colour.
  EXPECT_NE(Brightness(running, 20, 580, 200, 596), Brightness(running, 600, 580, 780, 596));
}

INSTANTIATE_TEST_SUITE_P(BothDrivers, PlayDrawTest, ::testing::Values(1, 2));

}  // namespace

namespace {

// Every kind of cell with a spread of edge and corner frames (some outside
// their strips), markers and coins: the picture grabbed at level start must
// draw exactly what the cells draw one by one.
play::LevelData EveryKindOfCell() {
  play::LevelData l = vtest::BlankLevel();
  const int codes[] = {0, 5, 12, 19, 20, 33, 39, 40, 47, 59, 60, 61};
  int k = 0;
  for (int i = 0; i < play::kLevelW; ++i)
    for (int j = 4; j < play::kLevelH; j += 3) {
      if ((i + j) % 4 == 0) continue;
      l.TileGrid[i][j] = codes[(i * 7 + j) % 12];
      l.EdgeFrameGrid[i][j] = (k * 5) % 34 - 1;     // -1..32: strips hold 0..31
      l.CornerFrameGrid[i][j] = (k * 3) % 18 - 1;   // -1..16: strip holds 0..15
      ++k;
    }
  vtest::PutObject(l, 3, 2, play::kObjStart);
  vtest::PutObject(l, 45, 2, play::kObjExit);
  vtest::PutObject(l, 20, 2, play::kObjCoin);
  return l;
}

}  // namespace

TEST_P(PlayDrawTest, TheLevelPictureDrawsWhatTheCellsDraw) {
  vtest::GameSandbox sandbox(GetParam());
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  vtest::ResetPlayState();
  static_cast<play::LevelData&>(play::Level) = EveryKindOfCell();
  play::SetupLevelObjects(0);

  auto frame = [] {
    plat::SetClsColor(0, 0, 0);
    plat::Cls();
    plat::SetAlpha(1);
    plat::SetColor(255, 255, 255);
    play::DrawGame();
    return plat::ReadTargetPixels();
  };
  play::DropLevelPicture();
  const std::vector<uint32_t> cellByCell = frame();
  plat::SetClsColor(90, 20, 200);  // whatever the clear colour, the same picture
  play::CacheLevelPicture();
  const std::vector<uint32_t> cached = frame();
  play::DropLevelPicture();
  const std::string outDir = std::string(VELKOR_BINARY_DIR) + "/screens";
  fs::create_directories(outDir);
  EXPECT_TRUE(plat::SaveScreenshot(outDir + "/cells_" + std::to_string(GetParam()) + ".png"));

  ASSERT_EQ(cellByCell.size(), cached.size());
  int differing = 0;
  for (size_t i = 0; i < cached.size(); ++i)
    if ((cached[i] & 0xFFFFFF) != (cellByCell[i] & 0xFFFFFF)) ++differing;
  EXPECT_EQ(differing, 0);
}
