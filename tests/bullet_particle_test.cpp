// Bullets (flight, tile hits, off-screen removal) and particles (bursts and
// their random draws, fading, removal while the list is walked), plus the
// shared object list both live in.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "frontend/startup.h"
#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/bullet.h"
#include "play/harness.h"
#include "play/objectlist.h"
#include "play/particle.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/geometry.h"
#include "services/level.h"
#include "services/resources.h"
#include "services/sound.h"
#include "support/play_support.h"
#include "support/sandbox.h"
#include "support/screenshots.h"
#include "support/sound_log.h"

namespace {

using play::Bullet;
using play::Particle;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::ResetLevel();
    play::ResetRun();
    play::ResetBullets();
    play::ResetParticles();
    fe::BuildPalette();
    fe::BuildColourCycle();
  }
  void TearDown() override {
    play::ResetBullets();
    play::ResetParticles();
  }

  static std::vector<std::shared_ptr<Bullet>> Bullets() {
    return play::Bullets.BulletList.Snapshot();
  }
  static const std::vector<Particle>& Particles() { return play::Particles.ParticleList; }
  static int ParticleCount() { return static_cast<int>(play::Particles.ParticleList.size()); }
  // A bullet placed exactly, flying at the angle.
  static std::shared_ptr<Bullet> BulletAt(float x, float y, float angle, int ghost = 0) {
    auto b = Bullet::Create(0, 0, 2, angle, ghost);
    b->x = x;
    b->y = y;
    return b;
  }

  vtest::SoundLog sounds;
};

// ------------------------------------------------------------------ objects

TEST(ObjectListTest, RemovalDuringAWalkKeepsObjectsAliveAndTheWalkGoesOn) {
  play::ObjectList<int> list;
  std::vector<std::weak_ptr<int>> refs;
  for (int i = 0; i < 6; ++i) {
    auto p = std::make_shared<int>(i);
    refs.push_back(p);
    list.Append(p);
  }
  std::vector<int> visited;
  list.Walk([&](int& v) {
    visited.push_back(v);
    if (v == 1) list.Remove(&v);                          // itself
    if (v == 2) list.Remove(refs[4].lock().get());        // a later one: skipped
    if (v == 3) list.Remove(refs[0].lock().get());        // an earlier one
    if (v == 5) list.Append(std::make_shared<int>(6));    // appended: visited too
    // Everything removed so far is still alive until the walk ends.
    if (v >= 4) {
      for (size_t k : {0u, 1u, 4u}) EXPECT_FALSE(refs[k].expired());
    }
  });
  EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 5, 6}));
  EXPECT_TRUE(refs[0].expired());
  EXPECT_TRUE(refs[1].expired());
  EXPECT_TRUE(refs[4].expired());
  EXPECT_EQ(list.Count(), 4);
  std::vector<int> left;
  for (auto& p : list.Snapshot()) left.push_back(*p);
  EXPECT_EQ(left, (std::vector<int>{2, 3, 5, 6}));

  // Clearing inside a walk ends the visits and empties the list.
  int seen = 0;
  list.Walk([&](int&) {
    ++seen;
    list.Clear();
  });
  EXPECT_EQ(seen, 1);
  EXPECT_TRUE(list.Empty());
  EXPECT_FALSE(list.Remove(nullptr));
}

// ------------------------------------------------------------------ bullets

TEST_F(EffectsTest, ABulletStarts15PixelsOutAndFlies2PixelsPerStep) {
  auto right = Bullet::Create(400, 300, 7, 90, 0);
  auto down = Bullet::Create(400, 300, 7, 360, 1);
  auto diag = Bullet::Create(400, 300, 7, 135, 0);  // up and to the right
  EXPECT_FLOAT_EQ(right->x, 415);
  EXPECT_NEAR(right->y, 300, 1e-4);
  EXPECT_NEAR(down->x, 400, 1e-4);
  EXPECT_FLOAT_EQ(down->y, 315);
  EXPECT_EQ(right->speed, 2.0f);
  EXPECT_EQ(right->colour, 7);
  EXPECT_EQ(down->ghost, 1);
  EXPECT_EQ(Bullets(), (std::vector<std::shared_ptr<Bullet>>{right, down, diag}));

  const float dx = diag->x, dy = diag->y;
  play::UpdateBullets();
  EXPECT_FLOAT_EQ(right->x, 417);
  EXPECT_FLOAT_EQ(down->y, 317);
  EXPECT_NEAR(diag->x - dx, std::sqrt(2.0), 1e-4);
  EXPECT_NEAR(diag->y - dy, -std::sqrt(2.0), 1e-4);
  EXPECT_EQ(play::Bullets.BulletList.Count(), 3);
  EXPECT_TRUE(sounds.Ids().empty());
}

TEST_F(EffectsTest, BulletsStopAtSolidCellsButFlyThroughZones) {
  for (int code = 0; code <= 61; ++code) {
    SCOPED_TRACE(code);
    play::ResetBullets();
    sounds.Take();
    play::Level.Clear();
    play::Level.TileGrid[30][10] = code;  // (480..496, 160..176)
    auto b = Bullet::Create(420, 168, 3, 90, 0);
    int steps = 0;
    while (play::Bullets.BulletList.Contains(b.get()) && steps < 40) {
      play::UpdateBullets();
      ++steps;
    }
    if (code <= 39 || code == 60) {
      // 435 + 2n: the 4-px box first touches x 480 at x 479.
      EXPECT_EQ(steps, 22);
      EXPECT_EQ(sounds.Take(), std::vector<int>{fe::kSfxGunHit});
    } else {
      EXPECT_EQ(steps, 40);
      EXPECT_TRUE(sounds.Take().empty());
    }
  }
}

TEST_F(EffectsTest, TheFirstCellInScanOrderDecidesAndEdgesTouchingCount) {
  // A zone in the column before the block hides it while both are touched.
  play::Level.TileGrid[29][10] = 45;
  play::Level.TileGrid[30][10] = 3;
  auto b = BulletAt(478, 168, 90);
  play::UpdateBullets();  // x 480: box 478..482 meets both
  play::UpdateBullets();  // x 482: box 480..484 still touches the zone's edge
  EXPECT_TRUE(play::Bullets.BulletList.Contains(b.get()));
  play::UpdateBullets();  // x 484: only the block
  EXPECT_FALSE(play::Bullets.BulletList.Contains(b.get()));

  // The same within one column: a no-rope zone above the block.
  play::Level.Clear();
  play::Level.TileGrid[30][9] = 61;
  play::Level.TileGrid[30][10] = 3;
  auto c = BulletAt(470, 160, 90);
  play::UpdateBullets();
  EXPECT_TRUE(play::Bullets.BulletList.Contains(c.get()));

  // Exactly touching the block's left edge is a hit.
  play::Level.Clear();
  play::Level.TileGrid[30][10] = 3;
  auto d = BulletAt(476, 168, 90);
  play::UpdateBullets();  // box 476..480
  EXPECT_FALSE(play::Bullets.BulletList.Contains(d.get()));

  // A bullet made inside a block goes in its first update, after moving.
  auto e = Bullet::Create(473, 168, 3, 90, 0);  // starts at 488
  play::UpdateBullets();
  EXPECT_FALSE(play::Bullets.BulletList.Contains(e.get()));
  EXPECT_FLOAT_EQ(e->x, 490);
}

TEST_F(EffectsTest, GhostBulletsHitSilentlyAndOffScreenBulletsGoQuietly) {
  play::Level.TileGrid[30][10] = 3;
  auto ghost = BulletAt(476, 168, 90, 1);
  play::UpdateBullets();
  EXPECT_FALSE(play::Bullets.BulletList.Contains(ghost.get()));
  EXPECT_TRUE(sounds.Ids().empty());

  auto edge = BulletAt(898, 300, 90);   // to 900: still on screen
  auto out = BulletAt(899, 300, 90);    // to 901: gone
  auto top = BulletAt(300, -98, 180);   // to -100: still on screen
  auto up = BulletAt(300, -99, 180);    // to -101: gone
  play::UpdateBullets();
  EXPECT_EQ(Bullets(), (std::vector<std::shared_ptr<Bullet>>{edge, top}));
  EXPECT_TRUE(sounds.Ids().empty());
}

// The flight keeps the sin and cos of its angle instead of taking them each
// step: positions must stay bit for bit those of the formula, at any angle,
// and after the angle is changed in flight.
TEST_F(EffectsTest, AFlightIsBitForBitTheFormulaAtEveryStep) {
  std::vector<float> angles = {0.0f, 90.0f, 359.99f, -45.5f, 1e-7f, 7777.7f};
  for (int k = 0; k < 500; ++k) angles.push_back(0.7213f * static_cast<float>(k));
  for (float angle : angles) {
    auto b = Bullet::Create(400, 300, 1, angle, 0);
    float x = static_cast<float>(400 + 15 * play::SinDeg(angle));
    float y = static_cast<float>(300 + 15 * play::CosDeg(angle));
    for (int step = 0; step < 150; ++step) {
      ASSERT_EQ(b->x, x) << angle << " step " << step;
      ASSERT_EQ(b->y, y) << angle << " step " << step;
      if (step == 80) b->angle = angle + 100;  // turned from outside
      const float a = b->angle;
      b->Update();
      x = static_cast<float>(x + play::SinDeg(a) * 2.0f);
      y = static_cast<float>(y + play::CosDeg(a) * 2.0f);
    }
    play::ResetBullets();
  }
}

TEST_F(EffectsTest, ABulletWithANonFinitePositionCountsAsOffScreen) {
  for (float bad : {kNaN, kInf, -kInf}) {
    auto bx = BulletAt(bad, 300, 90);
    auto by = BulletAt(300, bad, 90);
    auto ba = Bullet::Create(300, 300, 0, kNaN, 0);  // a damaged angle
    play::UpdateBullets();
    EXPECT_TRUE(play::Bullets.BulletList.Empty());
  }
  // Even with every cell solid nothing is hit and nothing sounds.
  for (auto& col : play::Level.TileGrid)
    for (int& cell : col) cell = 3;
  BulletAt(kNaN, kNaN, 90);
  play::UpdateBullets();
  EXPECT_TRUE(play::Bullets.BulletList.Empty());
  EXPECT_TRUE(sounds.Ids().empty());
  EXPECT_EQ(play::FindTileAtBox(kNaN, 0, 4, 4), -1);
}

TEST_F(EffectsTest, BulletsRemovedDuringTheWalkLetTheOthersUpdate) {
  play::Level.TileGrid[30][10] = 3;
  auto a = BulletAt(100, 100, 90);
  auto hit = BulletAt(476, 168, 90);
  auto c = BulletAt(100, 200, 90);
  auto out = BulletAt(899, 300, 90);
  auto e = BulletAt(100, 300, 90);
  play::UpdateBullets();
  EXPECT_EQ(Bullets(), (std::vector<std::shared_ptr<Bullet>>{a, c, e}));
  for (auto& b : {a, c, e}) EXPECT_FLOAT_EQ(b->x, 102);
  EXPECT_FLOAT_EQ(hit->x, 478);  // moved once before it went
}

TEST_F(EffectsTest, LimitedTileSearchEqualsTheFullScan) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> code(-1, 61), pick(0, 4);
  std::uniform_real_distribution<float> px(-120, 920), py(-120, 720), size(0, 40);
  for (int level = 0; level < 20; ++level) {
    for (auto& col : play::Level.TileGrid)
      for (int& cell : col) cell = pick(rng) == 0 ? code(rng) : -1;
    for (int n = 0; n < 500; ++n) {
      float x1 = px(rng), y1 = py(rng);
      if (n % 3 == 0) x1 = std::round(x1 / 16) * 16;
      if (n % 4 == 0) y1 = std::round(y1 / 16) * 16;
      const float x2 = x1 + (n % 2 ? 4 : size(rng)), y2 = y1 + (n % 2 ? 4 : size(rng));
      int full = -1;
      for (int i = 0; i < play::kLevelW && full < 0; ++i)
        for (int j = 0; j < play::kLevelH && full < 0; ++j)
          if (play::Level.TileGrid[i][j] >= 0 &&
              play::BoxesOverlap(x1, y1, x2, y2, 16.0f * i, 16.0f * j, 16.0f * i + 16,
                                 16.0f * j + 16))
            full = play::Level.TileGrid[i][j];
      ASSERT_EQ(play::FindTileAtBox(x1, y1, x2, y2), full) << x1 << "," << y1;
    }
  }
}

// ---------------------------------------------------------------- particles

TEST_F(EffectsTest, BurstsAddTheirCounts) {
  auto count = [] { return ParticleCount(); };
  play::SpawnDeathParticles(100, 100, 3);
  EXPECT_EQ(count(), 51);
  play::SpawnSparkleParticles(100, 100);
  EXPECT_EQ(count(), 102);
  play::SpawnColourChangeParticles(100, 100, 4);
  EXPECT_EQ(count(), 153);
  play::SpawnCoinParticles(100, 100);
  EXPECT_EQ(count(), 174);
  play::SpawnExitOpenParticles(100, 100);
  EXPECT_EQ(count(), 238);
  play::SpawnTrailParticle(100, 100, 1, 2);
  EXPECT_EQ(count(), 239);
}

TEST_F(EffectsTest, BurstsDrawTheirRandomNumbersInTheFixedOrder) {
  // Death at a point with fractions: positions truncate toward zero.
  plat::SeedRnd(1234);
  play::SpawnDeathParticles(-3.5f, 20.75f, 3);
  plat::SeedRnd(1234);
  const std::vector<Particle> death = Particles();
  ASSERT_EQ(death.size(), 51u);
  for (const Particle& p : death) {
    const int x = plat::Rand(-13, 6);  // trunc(-13.5), trunc(6.5)
    const int y = plat::Rand(10, 30);
    const float vx = static_cast<float>(plat::Rnd(-0.08, 0.08));
    const float vy = static_cast<float>(plat::Rnd(-0.08, 0.08));
    ASSERT_EQ(p.x, static_cast<float>(x));
    ASSERT_EQ(p.y, static_cast<float>(y));
    ASSERT_EQ(p.vx, vx);
    ASSERT_EQ(p.vy, vy);
    EXPECT_EQ(p.red, fe::Res.BlockPaletteR[3]);
    EXPECT_EQ(p.green, fe::Res.BlockPaletteG[3]);
    EXPECT_EQ(p.blue, fe::Res.BlockPaletteB[3]);
    EXPECT_EQ(p.life, 2000);
    EXPECT_EQ(p.alpha, 0.5f);
    EXPECT_EQ(p.alphaFade, 0.995f);
    EXPECT_EQ(p.friction, 1.0f);
    EXPECT_EQ(p.gravity, -0.0001f);
    EXPECT_EQ(p.image, play::kParticleOrb);
    EXPECT_EQ(p.scale, 1.0f);
    EXPECT_EQ(p.scaleGrowth, 1.0f);
  }

  // Sparkles draw a palette colour after the velocity, anew each time.
  play::ResetParticles();
  plat::SeedRnd(99);
  play::SpawnSparkleParticles(200, 300);
  plat::SeedRnd(99);
  for (const Particle& p : Particles()) {
    const int x = plat::Rand(195, 205), y = plat::Rand(290, 310);
    const float vx = static_cast<float>(plat::Rnd(-0.02, 0.02));
    const float vy = static_cast<float>(plat::Rnd(-0.01, 0.03));
    const int c = plat::Rand(0, 19);
    ASSERT_EQ(p.x, static_cast<float>(x));
    ASSERT_EQ(p.y, static_cast<float>(y));
    ASSERT_EQ(p.vx, vx);
    ASSERT_EQ(p.vy, vy);
    ASSERT_EQ(p.red, fe::Res.BlockPaletteR[c]);
    ASSERT_EQ(p.green, fe::Res.BlockPaletteG[c]);
    ASSERT_EQ(p.blue, fe::Res.BlockPaletteB[c]);
    EXPECT_EQ(p.gravity, 0.0005f);
  }

  // Coins: stars in the coins' current tint.
  play::ResetParticles();
  play::Run.CoinCycleIndex = 77;
  play::SpawnCoinParticles(50, 60);
  for (const Particle& p : Particles()) {
    EXPECT_EQ(p.red, fe::Res.ColourCycleR[77]);
    EXPECT_EQ(p.green, fe::Res.ColourCycleG[77]);
    EXPECT_EQ(p.blue, fe::Res.ColourCycleB[77]);
    EXPECT_EQ(p.image, play::kParticleStar);
    EXPECT_LE(std::fabs(p.vx), 0.03f);
  }
}

TEST_F(EffectsTest, TheExitOpeningIsAnEightByEightGridWithATintedCross) {
  play::Run.CoinCycleIndex = 200;
  plat::SeedRnd(8);
  play::SpawnExitOpenParticles(320, 240);
  const int after = plat::Rand(0, 1000000);
  plat::SeedRnd(8);
  EXPECT_EQ(after, plat::Rand(0, 1000000));  // no random draws
  const std::vector<Particle> grid = Particles();
  ASSERT_EQ(grid.size(), 64u);
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 8; ++j) {
      const Particle& p = grid[static_cast<size_t>(i * 8 + j)];
      EXPECT_EQ(p.x, 320.0f + 2 * i);
      EXPECT_EQ(p.y, 240.0f + 2 * j);
      EXPECT_FLOAT_EQ(p.vx, (i - 3) * 0.015f);
      EXPECT_FLOAT_EQ(p.vy, (j - 3) * 0.015f);
      const bool tinted = (i > 3) != (j > 3);
      EXPECT_EQ(p.red, tinted ? fe::Res.ColourCycleR[200] : 255);
      EXPECT_EQ(p.green, tinted ? fe::Res.ColourCycleG[200] : 255);
      EXPECT_EQ(p.blue, tinted ? fe::Res.ColourCycleB[200] : 255);
      EXPECT_EQ(p.gravity, -0.0001f);
    }
  }
}

TEST_F(EffectsTest, ABurstParticleFadesOutAfter1240Steps) {
  play::AddParticle(10, 10, 0, 0, 255, 255, 255, 2000, 0.5f, 0.995f, 1, 0, 0, 1, 1);
  for (int i = 0; i < 1240; ++i) play::UpdateParticles();
  ASSERT_EQ(ParticleCount(), 1);
  EXPECT_LE(Particles()[0].alpha, 0.001f);  // spent: goes at the next update
  EXPECT_EQ(Particles()[0].life, 2000 - 1240);
  play::UpdateParticles();
  EXPECT_EQ(ParticleCount(), 0);
}

// Particles tagged by their red value.
void AddTagged(int tag, float x, int life, float alpha) {
  play::AddParticle(x, 0, 1, 0, tag, 0, 0, life, alpha, 1, 1, 0, 0, 1, 1);
}
std::vector<int> Tags() {
  std::vector<int> tags;
  for (const Particle& p : play::Particles.ParticleList) tags.push_back(p.red);
  return tags;
}

TEST_F(EffectsTest, SpentParticlesGoWhileTheListIsWalked) {
  AddTagged(1, 0, 10, 0.5f);
  AddTagged(2, 0, 0, 0.5f);      // no life left
  AddTagged(3, 0, 10, 0.5f);
  AddTagged(4, 0, 10, 0.001f);   // faded
  AddTagged(5, kNaN, 10, 0.5f);  // lost: can never be seen again
  AddTagged(6, 0, 10, 0.5f);
  AddTagged(7, 0, 3, 0.5f);
  AddTagged(8, kInf, 10, 0.5f);
  play::UpdateParticles();
  EXPECT_EQ(Tags(), (std::vector<int>{1, 3, 6, 7}));
  for (const Particle& p : Particles()) EXPECT_EQ(p.x, 1);  // every one moved once
  // Life runs out exactly: 3, 2, 1, 0, then gone at the next update.
  play::UpdateParticles();
  play::UpdateParticles();
  EXPECT_EQ(Tags(), (std::vector<int>{1, 3, 6, 7}));
  EXPECT_EQ(Particles()[3].life, 0);
  play::UpdateParticles();
  EXPECT_EQ(Tags(), (std::vector<int>{1, 3, 6}));
  play::ResetParticles();
  EXPECT_TRUE(Particles().empty());
}

TEST_F(EffectsTest, GravityIsSubtractedAndFrictionActsOnlyAcross) {
  play::AddParticle(0, 0, 0.5f, 0.5f, 0, 0, 0, 100, 0.5f, 1, 0.5f, 0.1f, 0, 1, 1.5f);
  play::AddParticle(0, 0, 0, 0, 0, 0, 0, 100, 0.5f, 1, 1, -0.1f, 0, 1, 1);
  play::UpdateParticles();
  const Particle& riser = Particles()[0];
  const Particle& sinker = Particles()[1];
  EXPECT_FLOAT_EQ(riser.x, 0.5f);
  EXPECT_FLOAT_EQ(riser.vx, 0.25f);
  EXPECT_FLOAT_EQ(riser.vy, 0.4f);  // no friction on vy, gravity lifts
  EXPECT_FLOAT_EQ(riser.scale, 1.5f);
  EXPECT_FLOAT_EQ(sinker.vy, 0.1f);
  play::UpdateParticles();
  EXPECT_FLOAT_EQ(Particles()[1].y, 0.1f);
}

TEST_F(EffectsTest, BurstsAtUnusablePointsAddNothing) {
  play::SpawnDeathParticles(kNaN, 100, 1);
  play::SpawnSparkleParticles(100, kInf);
  play::SpawnCoinParticles(1e20f, 0);
  play::SpawnColourChangeParticles(0, -1e20f, 2);
  EXPECT_TRUE(play::Particles.ParticleList.empty());
  // A damaged colour draws white rather than reading past the palette.
  play::SpawnDeathParticles(10, 10, 25);
  play::SpawnDeathParticles(10, 10, -1);
  for (const Particle& p : Particles()) EXPECT_EQ(p.red + p.green + p.blue, 3 * 255);
}

// ------------------------------------------------- through the play loop

TEST(BulletRunTest, AShotFliesToTheWallAndStopsThereWithTheHitSound) {
  vtest::ResetAllState();
  vtest::ResetPlayState();
  plat::test::UseManualClock(100000, 0.0);
  play::LevelData l = vtest::BlankLevel();
  vtest::FillTiles(l, 0, 30, 49, 35, 0);
  vtest::FillTiles(l, 30, 0, 30, 29, 0);  // a wall from x 480
  vtest::PutObject(l, 10, 29, play::kObjStart);
  vtest::PutObject(l, 2, 2, play::kObjExit);
  std::vector<int> count;  // bullets after each run step
  std::vector<int> hits;
  vtest::SoundLog log;
  play::PlayRunOptions o;
  o.onStep = [&] {
    for (int id : log.Take())
      if (id == fe::kSfxGunHit) hits.push_back(play::Run.StepCounter);
    if (play::Run.Player) count.push_back(play::Bullets.BulletList.Count());
  };
  play::RunPlayScript(l, vtest::Script("limit 300\n41 fire aim=700,472\n42 -\n"), o);
  // Made in step 41 at 183 (15 px out of the muzzle at x 168) and moved in
  // the same step; its box reaches the wall's edge at x 478 in step 188.
  ASSERT_GE(count.size(), 200u);
  EXPECT_EQ(count[39], 0);
  EXPECT_EQ(count[40], 1);
  EXPECT_EQ(count[186], 1);
  EXPECT_EQ(count[187], 0);
  EXPECT_EQ(hits, std::vector<int>{188});
  vtest::ResetPlayState();
  vtest::ResetAllState();
}

// Drawn runs, caught at the moment worth seeing.
class EffectsScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_ = std::make_unique<vtest::GameSandbox>(2);
    vtest::ResetPlayState();
    fe::StartUp();
  }
  void TearDown() override {
    plat::test::SetFrameHook(nullptr);
    vtest::ResetPlayState();
    sandbox_.reset();
  }

  // Runs the script drawn and saves the frame drawn after `when` first
  // holds (checked after every step); true when the picture was taken.
  static bool Capture(const play::LevelData& l, const std::string& script,
                      const std::function<bool()>& when, const std::string& name) {
    bool wanted = false, taken = false;
    play::PlayRunOptions o;
    o.draw = true;
    o.onStep = [&] { wanted = wanted || when(); };
    plat::test::SetFrameHook([&](int64_t) {
      if (wanted && !taken) taken = plat::SaveScreenshot(vtest::ShotPath(name));
    });
    o.onFrame = [&](int f) { return !taken && f < 3000; };
    play::RunPlayScript(l, vtest::Script(script), o);
    plat::test::SetFrameHook(nullptr);
    return taken;
  }

  std::unique_ptr<vtest::GameSandbox> sandbox_;
};

TEST_F(EffectsScreenshotTest, ShotsInSlowMotion) {
  play::LevelData l = vtest::BlankLevel();
  vtest::FillTiles(l, 0, 30, 49, 35, 0);
  vtest::FillTiles(l, 40, 10, 41, 29, 0);
  vtest::PutObject(l, 10, 29, play::kObjStart);
  vtest::PutObject(l, 2, 2, play::kObjExit);
  // Firing toward the wall the whole time; slow motion from step 100.
  EXPECT_TRUE(Capture(l, "limit 20000\n1 aim=700,380\n41 fire\n100 fire slow\n101 fire\n",
                      [] {
                        return play::Run.TimeRate < 0.5f &&
                               play::Bullets.BulletList.Count() >= 3;
                      },
                      "bullet_shot"));
}

TEST_F(EffectsScreenshotTest, DeathBurst) {
  play::LevelData l = vtest::BlankLevel();
  vtest::FillTiles(l, 0, 30, 49, 35, 0);
  vtest::FillTiles(l, 14, 26, 15, 29, 45);  // a zone of colour 5 kills
  vtest::PutObject(l, 10, 29, play::kObjStart);
  vtest::PutObject(l, 2, 2, play::kObjExit);
  int deathStep = -1, steps = 0;
  EXPECT_TRUE(Capture(l, "limit 20000\ndeaths 1\n1 right\n",
                      [&] {
                        ++steps;
                        if (deathStep < 0 && play::Particles.ParticleList.size() >= 102)
                          deathStep = steps;  // sparkle at spawn, then the death burst
                        return deathStep > 0 && steps > deathStep + 120;
                      },
                      "death_burst"));
}

TEST_F(EffectsScreenshotTest, ParticleDrawingLeavesTheStateClean) {
  plat::Cls();
  plat::SetColor(10, 20, 30);
  plat::SetAlpha(0.3f);
  plat::SetScale(2, 2);
  play::Particle bad;
  bad.image = 9;
  bad.alpha = 0.9f;
  bad.red = 200;
  bad.scale = 4;
  bad.Draw();  // a kind outside 0..6: nothing drawn, nothing changed
  int r, g, b;
  plat::GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 60);
  EXPECT_FLOAT_EQ(plat::GetAlpha(), 0.3f);
  float sx, sy;
  plat::GetScale(sx, sy);
  EXPECT_EQ(sx, 2);

  play::AddParticle(100, 100, 0, 0, 255, 0, 0, 100, 0.5f, 1, 1, 0, play::kParticleStar, 3, 1);
  play::DrawParticles();
  plat::GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);
  EXPECT_EQ(plat::GetAlpha(), 1.0f);
  EXPECT_EQ(plat::GetBlend(), plat::kAlphaBlend);
  plat::GetScale(sx, sy);
  EXPECT_EQ(sx, 1);
  EXPECT_EQ(sy, 1);

  Bullet::Create(200, 200, 5, 45, 1);
  play::DrawBullets();
  EXPECT_EQ(plat::GetRotation(), 0);
  EXPECT_EQ(plat::GetAlpha(), 1.0f);
  EXPECT_EQ(plat::GetBlend(), plat::kAlphaBlend);
}

}  // namespace
