// A level in play drawn by both renderers (offscreen): the countdown with
// the ready and go banners, the running figure with coins, edges and the
// status bar, and the glow in slow motion. The pictures are written to
// <build>/screens/ for looking at; the checks here catch a blank or wrong frame.
#include <gtest/gtest.h>


#include "frontend/startup.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/bullet.h"
#include "play/coins.h"
#include "play/draw.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/level.h"
#include "services/resources.h"
#include "support/play_support.h"
#include "support/sandbox.h"
#include "support/screenshots.h"


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

  const std::string tag = driver == 1 ? "gl" : "soft";
  auto shot = [&](const std::string& name) {
    const std::string path = vtest::ShotPath("play_" + tag + "_" + name);
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
// their strips), the markers, and coins alone, side by side (their blooms
// meet), beside the start marker and at the field's edges.
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
  for (int x : {4, 20, 21, 22, 30}) vtest::PutObject(l, x, 2, play::kObjCoin);
  vtest::PutObject(l, 0, 35, play::kObjCoin);
  vtest::PutObject(l, 49, 0, play::kObjCoin);
  return l;
}

// Frames of play at a run of time rates (into slow motion, swinging at
// the bottom, out again), with the coin colour stepping, bullets and the
// figure over the glow; the same start each time.
std::vector<std::vector<uint32_t>> PlayFrames() {
  plat::test::SetClock(100000);
  plat::SetClsColor(0, 0, 0);
  plat::SeedRnd(1);  // the figure's spawn sparkle
  vtest::ResetPlayState();
  play::StageLevel(EveryKindOfCell(), 500, 100);
  for (int i = 0; i < 4; ++i) play::Bullet::Create(300.0f + 40 * i, 200, 3 + i, 30.0f * i, i % 2);
  play::Run.CoinList[1]->active = 0;  // one taken
  play::Run.CoinCycleTime = 100000;
  std::vector<std::vector<uint32_t>> frames;
  int step = 0;
  for (float rate : {1.0f, 0.98f, 0.5f, 0.3f, 0.28f, 0.3f, 0.28f, 0.62f, 1.0f}) {
    plat::test::AdvanceClock(60);  // the coin colour steps every other frame
    play::Run.TimeRate = rate;
    if (++step == 6) play::Run.CoinsLeft = 0;  // the exit opens
    plat::SetClsColor(step * 20, 0, 90);     // whatever is under the level
    plat::Cls();
    plat::SetAlpha(1);
    plat::SetColor(255, 255, 255);
    play::DrawGame();
    frames.push_back(plat::ReadTargetPixels());
    frames.back().push_back(static_cast<uint32_t>(play::Run.CoinCycleIndex));
  }
  return frames;
}

int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i)
    if ((a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF)) ++n;
  return n;
}

}  // namespace

// The painted pictures (level, stretched glow, level in glow) must give
// exactly the frames drawn as they are built: in play, at every glow alpha,
// and behind the menus, also after the level changes under them.
TEST_P(PlayDrawTest, PaintedPicturesDrawWhatTheFrameDrawsInPlace) {
  vtest::GameSandbox sandbox(GetParam());
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  play::UsePaintedPictures(false);
  const std::vector<std::vector<uint32_t>> built = PlayFrames();
  play::UsePaintedPictures(true);
  const std::vector<std::vector<uint32_t>> painted = PlayFrames();
  EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("slowmo_painted_" + std::to_string(GetParam()))));
  ASSERT_EQ(built.size(), painted.size());
  for (size_t i = 0; i < built.size(); ++i)
    EXPECT_EQ(Differing(built[i], painted[i]), 0) << "play frame " << i;

  // Behind a menu: the level without markers, at alpha 1 from the picture,
  // at another alpha cell by cell; then again after a cell changed.
  auto backdrops = [](bool usePictures) {
    play::UsePaintedPictures(usePictures);
    std::vector<std::vector<uint32_t>> shots;
    for (int change = 0; change < 2; ++change) {
      play::Level.TileGrid[10][10] = change ? 7 : 40;
      for (float alpha : {1.0f, 0.5f}) {
        plat::Cls();
        plat::SetAlpha(alpha);
        play::DrawLevel(1);
        shots.push_back(plat::ReadTargetPixels());
      }
    }
    return shots;
  };
  const std::vector<std::vector<uint32_t>> cells = backdrops(false), pictures = backdrops(true);
  for (size_t i = 0; i < cells.size(); ++i)
    EXPECT_EQ(Differing(cells[i], pictures[i]), 0) << "backdrop " << i;
}

namespace {

// A strip of `frames` plain white 16x16 frames, loaded the way the game
// loads its block strips.
plat::ImagePtr WhiteStrip(const std::string& dir, const std::string& name, int frames,
                          uint32_t pixel = 0xFFFFFFFFu) {
  const std::string path = dir + "/" + name;
  EXPECT_TRUE(plat::SavePNG(path, 16 * frames, 16, std::vector<uint32_t>(16 * frames * 16, pixel)));
  return plat::LoadAnimImage(path, 16, 16, 0, frames, 0);
}

struct Rgb {
  int r, g, b;
};
Rgb At(const std::vector<uint32_t>& px, int x, int y) {
  const uint32_t p = Pixel(px, x, y);
  return {Red(p), Green(p), Blue(p)};
}
Rgb PaletteOf(int c) {
  auto clamp = [](int v) { return std::min(std::max(v, 0), 255); };
  return {clamp(fe::Res.BlockPaletteR[c]), clamp(fe::Res.BlockPaletteG[c]),
          clamp(fe::Res.BlockPaletteB[c])};
}
void ExpectNear(Rgb got, Rgb want, const char* what) {
  EXPECT_NEAR(got.r, want.r, 2) << what;
  EXPECT_NEAR(got.g, want.g, 2) << what;
  EXPECT_NEAR(got.b, want.b, 2) << what;
}

}  // namespace

// Each kind of cell over a plain grey background, with plain white strips in
// place of the block pictures: colours, alphas and the drop shadow.
TEST(LevelDrawTest, CellsShadowsMarkersAndTheStateLeftBehind) {
  vtest::GameSandbox sandbox(2);
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  vtest::ResetPlayState();
  const std::string dir = sandbox.Dir();
  fe::Res.ImgLevelBack =
      plat::ImageFromPixels(128, 128, std::vector<uint32_t>(128 * 128, 0xFF646464u), 0);
  fe::Res.ImgBlocksPlain = WhiteStrip(dir, "plain.png", 32);
  fe::Res.ImgBlocksChanger = WhiteStrip(dir, "changer.png", 32);
  fe::Res.ImgBlocksZone = WhiteStrip(dir, "zone.png", 32);
  fe::Res.ImgBlocksCorners = WhiteStrip(dir, "corners.png", 16, 0);  // see-through
  fe::Res.ImgLevelStart = WhiteStrip(dir, "start.png", 1);
  fe::Res.ImgLevelEnd = WhiteStrip(dir, "end.png", 1);
  ASSERT_TRUE(fe::Res.ImgLevelBack && fe::Res.ImgBlocksPlain && fe::Res.ImgLevelEnd);
  play::LevelData l = vtest::BlankLevel();
  const int row = 0;
  l.TileGrid[2][row] = 5;    // block
  l.TileGrid[5][row] = 27;   // changer of colour 7
  l.TileGrid[8][row] = 44;   // zone of colour 4
  l.TileGrid[11][row] = 60;  // neutral
  l.TileGrid[14][row] = 61;  // no-rope zone
  vtest::PutObject(l, 20, 5, play::kObjStart);
  vtest::PutObject(l, 30, 5, play::kObjExit);
  vtest::PutObject(l, 40, 5, play::kObjCoin);
  static_cast<play::LevelData&>(play::Level) = l;
  play::SetupLevelObjects(0);
  ASSERT_EQ(play::Run.CoinsLeft, 1);

  auto draw = [](int noMarkers) {
    plat::SetClsColor(0, 0, 0);
    plat::Cls();
    plat::SetBlend(plat::kAlphaBlend);
    plat::SetAlpha(1);
    plat::SetColor(10, 200, 30);  // DrawLevel sets its own colour
    play::DrawLevel(noMarkers);
    int r, g, b;
    plat::GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    EXPECT_EQ(plat::GetAlpha(), 1.0f);
    return plat::ReadTargetPixels();
  };
  const std::vector<uint32_t> px = draw(0);
  const Rgb grey{100, 100, 100};
  auto mix = [](Rgb a, Rgb b, float t) {  // a over b at alpha t
    return Rgb{int(a.r * t + b.r * (1 - t) + 0.5f), int(a.g * t + b.g * (1 - t) + 0.5f),
               int(a.b * t + b.b * (1 - t) + 0.5f)};
  };
  const Rgb shadow = mix({0, 0, 0}, grey, 0.25f);
  ExpectNear(At(px, 1, 1), grey, "background");
  ExpectNear(At(px, 2 * 16 + 8, 8), PaletteOf(5), "block");
  ExpectNear(At(px, 2 * 16 + 17, 8), shadow, "block shadow, 2 px right");
  ExpectNear(At(px, 5 * 16 + 8, 8), PaletteOf(7), "changer");
  ExpectNear(At(px, 5 * 16 + 17, 8), shadow, "changer shadow");
  ExpectNear(At(px, 8 * 16 + 8, 8), mix(PaletteOf(4), grey, 0.5f), "zone at half alpha");
  ExpectNear(At(px, 8 * 16 + 17, 8), grey, "no shadow beside a zone");
  ExpectNear(At(px, 11 * 16 + 8, 8), {255, 255, 255}, "neutral");
  ExpectNear(At(px, 11 * 16 + 17, 8), shadow, "neutral shadow");
  ExpectNear(At(px, 14 * 16 + 8, 8), mix({0, 0, 0}, grey, 0.5f), "no-rope zone");
  ExpectNear(At(px, 14 * 16 + 17, 8), grey, "no shadow beside a no-rope zone");

  // Markers: the start cell's top-left corner; the exit faint while a coin is left.
  const int sx = static_cast<int>(play::Level.StartX) - 8, sy = static_cast<int>(play::Level.StartY) - 16;
  ExpectNear(At(px, sx + 8, sy + 8), {255, 255, 255}, "start marker");
  const int ex = static_cast<int>(play::Level.ExitX) + 8, ey = static_cast<int>(play::Level.ExitY) + 8;
  ExpectNear(At(px, ex, ey), mix({255, 255, 255}, grey, 0.25f), "exit while coins are left");
  play::Run.CoinsLeft = 0;
  ExpectNear(At(draw(0), ex, ey), {255, 255, 255}, "exit once open");
  const std::vector<uint32_t> menu = draw(1);
  ExpectNear(At(menu, ex, ey), grey, "no exit marker in menu form");
  ExpectNear(At(menu, sx + 8, sy + 8), grey, "no start marker in menu form");
}

// The ghost fades as the player comes near it, and shows at 0.5 with no
// player at all.
TEST(LevelDrawTest, TheGhostFadesNearThePlayer) {
  vtest::GameSandbox sandbox(2);
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  vtest::ResetPlayState();
  static_cast<play::LevelData&>(play::Level) = vtest::BlankLevel();
  play::Run.Ghost = std::make_shared<play::Tavik>();
  play::Run.Player = std::make_shared<play::Tavik>();
  play::Run.Ghost->x = 300;
  play::Run.Ghost->y = 200;
  struct Case {
    float dx, alpha;
  };
  for (Case c : {Case{0, 0.1f}, Case{100, 0.1f}, Case{150, 0.3f}, Case{200, 0.5f}, Case{250, 0.5f}}) {
    play::Run.Player->x = 300 + c.dx;
    play::Run.Player->y = 200;
    play::DrawGame();
    EXPECT_NEAR(play::Run.Ghost->alpha, c.alpha, 1e-5) << c.dx;
    EXPECT_EQ(play::Run.Player->alpha, 1.0f);
  }
  play::Run.Player.reset();
  play::DrawGame();
  EXPECT_NEAR(play::Run.Ghost->alpha, 0.5f, 1e-6);
  int r, g, b;
  plat::GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);
  EXPECT_EQ(plat::GetAlpha(), 1.0f);
  play::Run.Ghost.reset();
}

namespace {

// A slow-motion frame (glow alpha 0.525, the exit open) of a built-in level,
// and where its exit stands.
std::vector<uint32_t> SlowMotionFrame(int driver, int levelNumber, int& exitX, int& exitY) {
  vtest::GameSandbox sandbox(driver);
  fe::StartUp();
  vtest::ResetPlayState();
  plat::test::SetClock(100000);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(plat::LoadFileBytes("incbin::" + std::to_string(levelNumber) + ".doy", bytes));
  play::LevelData level;
  play::DecodeLevel(bytes, level);
  play::StageLevel(level, 500, 100);
  play::Run.CoinsLeft = 0;
  play::Run.TimeRate = 0.3f;
  play::DrawGame();
  exitX = static_cast<int>(play::Level.ExitX), exitY = static_cast<int>(play::Level.ExitY);
  plat::SaveScreenshot(vtest::ShotPath("glow_" + std::to_string(levelNumber) + "_" + std::to_string(driver)));
  return plat::ReadTargetPixels();
}

// Pixels of the box where a channel differs by more than 12.
int DifferingIn(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = Pixel(a, x, y), q = Pixel(b, x, y);
      n += std::abs(Red(p) - Red(q)) > 12 || std::abs(Green(p) - Green(q)) > 12 || std::abs(Blue(p) - Blue(q)) > 12;
    }
  return n;
}

}  // namespace

// The software driver's glow is the same blurred picture as OpenGL's: the
// open exit blooms white and the walls' edges get their soft halo in the
// same places (they were up to half a cell lower).
TEST(LevelDrawTest, SlowMotionLooksTheSameUnderBothDrivers) {
  for (int levelNumber : {1, 31}) {
    int x = 0, y = 0;
    const std::vector<uint32_t> gl = SlowMotionFrame(1, levelNumber, x, y);
    const std::vector<uint32_t> soft = SlowMotionFrame(2, levelNumber, x, y);
    EXPECT_LE(DifferingIn(gl, soft, x - 24, y - 24, x + 40, y + 40), 40) << "exit of " << levelNumber;
    // About a hundred pixels of the figure's spawn sparkle and turned arm differ.
    EXPECT_LE(DifferingIn(gl, soft, 0, 0, 800, 576), 800) << "field of " << levelNumber;
  }
}
