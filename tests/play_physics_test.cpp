// The figure's rules, driven through the play harness on small levels made
// here: jumps, running, screen edges, colour rules, walls, the gun, exit and
// coins, death and restart, and the slow-motion glide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "platform/clock.h"
#include "platform/headless.h"
#include "play/bullet.h"
#include "play/countdown.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/config.h"
#include "services/geometry.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/sound.h"
#include "support/play_support.h"
#include "support/sandbox.h"
#include "support/sound_log.h"

namespace {

using play::LevelData;

using vtest::FillTiles;
using vtest::PutObject;
using vtest::Script;

constexpr int kFloorRow = 30;          // floor top at y = 480
constexpr float kFloorY = 480.0f;
constexpr int kStartCol = 10;          // start x = 168
constexpr float kStartX = 168.0f;

// One sample per simulation step with a live player.
struct Sample {
  int step;
  float x, y, vx, vy;
  int hitLeft, hitRight, onGround, colour;
  int lastShotStep;
  int bullets;
};

class PlayPhysicsTest : public vtest::FreshPlayTest {
 protected:

  // Floor of colour-0 blocks, start at column 10 on it, exit far away.
  static LevelData FloorLevel(int floorCode = 0) {
    LevelData l = vtest::BlankLevel();
    FillTiles(l, 0, kFloorRow, 49, 35, floorCode);
    PutObject(l, kStartCol, kFloorRow - 1, play::kObjStart);
    PutObject(l, 48, 2, play::kObjExit);
    return l;
  }

  play::PlayRunResult Play(const LevelData& level, const std::string& script) {
    samples.clear();
    play::PlayRunOptions o;
    o.onStep = [this] {
      if (!play::Run.Player) return;
      const play::Tavik& t = *play::Run.Player;
      samples.push_back({play::Run.StepCounter, t.x, t.y, t.vx, t.vy, t.hitLeft, t.hitRight,
                         t.onGround, t.colour, t.lastShotStep,
                         play::Bullets.BulletList.Count()});
    };
    return play::RunPlayScript(level, Script(script), o);
  }

  float MinY() const {
    float m = 1e9f;
    for (const Sample& s : samples) m = std::min(m, s.y);
    return m;
  }
  float MinX() const {
    float m = 1e9f;
    for (const Sample& s : samples) m = std::min(m, s.x);
    return m;
  }
  const Sample& At(int step) const { return vtest::SampleAt(samples, step); }

  std::vector<Sample> samples;
};

// ---------------------------------------------------------------- jumping

TEST_F(PlayPhysicsTest, JumpRisesAboutFiftyThreeAndAHalfPixels) {
  const auto r = Play(FloorLevel(), "limit 800\n1 jump\n2 -\n");
  ASSERT_FALSE(samples.empty());
  EXPECT_EQ(r.deaths, 0);
  const float rise = kFloorY - MinY();
  EXPECT_NEAR(rise, 53.5f, 0.1f);
  // Lands back on the floor.
  EXPECT_FLOAT_EQ(samples.back().y, kFloorY);
  EXPECT_EQ(samples.back().onGround, 1);
}

// A step of `height` pixels starting 4 columns right of the start; the
// figure runs right and jumps from the first step.
static LevelData LedgeLevel(int height) {
  LevelData l = vtest::BlankLevel();
  FillTiles(l, 0, kFloorRow, 49, 35, 0);
  FillTiles(l, 14, kFloorRow - height / 16, 49, kFloorRow - 1, 0);
  PutObject(l, kStartCol, kFloorRow - 1, play::kObjStart);
  PutObject(l, 48, 2, play::kObjExit);
  return l;
}

TEST_F(PlayPhysicsTest, FortyEightPixelLedgeIsReachableSixtyFourIsNot) {
  Play(LedgeLevel(48), "limit 900\n1 right jump\n2 right\n");
  EXPECT_FLOAT_EQ(samples.back().y, kFloorY - 48);
  EXPECT_GT(samples.back().x, 14 * 16.0f);

  Play(LedgeLevel(64), "limit 900\n1 right jump\n2 right\n");
  EXPECT_GT(MinY(), kFloorY - 64);
  EXPECT_FLOAT_EQ(samples.back().y, kFloorY);
  EXPECT_LT(samples.back().x, 14 * 16.0f);
}

// ---------------------------------------------------------------- running

TEST_F(PlayPhysicsTest, RunSpeedAndBraking) {
  Play(FloorLevel(), "limit 400\n1 right\n200 -\n");
  // 0.005 per step up to 0.25: full speed after 50 steps.
  EXPECT_NEAR(At(49).vx, 0.245f, 1e-4f);
  EXPECT_NEAR(At(60).vx, 0.25f, 0.006f);
  EXPECT_NEAR(At(199).vx, 0.25f, 0.006f);
  // Braking by 0.005 per step on the ground to a stop.
  int stopped = 0;
  for (const Sample& s : samples)
    if (s.step >= 200 && s.vx == 0.0f) {
      stopped = s.step;
      break;
    }
  EXPECT_GE(stopped, 246);
  EXPECT_LE(stopped, 252);
}

TEST_F(PlayPhysicsTest, LeftWinsWhenBothAreHeld) {
  Play(FloorLevel(), "limit 100\n1 left right\n");
  EXPECT_LT(samples.back().vx, -0.2f);
  EXPECT_LT(samples.back().x, kStartX);
}

TEST_F(PlayPhysicsTest, SpeedAboveMaximumStaysInAirAndIsBrakedOnGround) {
  // One shot aimed left during a running jump pushes right by about 1/16,
  // above the running maximum.
  Play(FloorLevel(), "limit 900\n1 right jump fire aim=0,400\n42 right\n");
  const float pushed = At(41).vx;
  EXPECT_NEAR(pushed - At(40).vx, 0.0625f, 0.002f);
  EXPECT_GT(pushed, 0.25f);
  // In the air the speed stays.
  for (int step = 42; step < 300; ++step) ASSERT_EQ(At(step).vx, pushed) << step;
  // Back on the ground it is braked by 0.005 per step down to the maximum.
  auto landed = std::find_if(samples.begin() + 300, samples.end(),
                             [](const Sample& s) { return s.onGround == 1; });
  ASSERT_NE(landed, samples.end());
  EXPECT_NEAR((landed + 1)->vx, landed->vx - 0.005f, 1e-6f);
  EXPECT_NEAR(samples.back().vx, 0.25f, 0.0051f);  // held right keeps it near the maximum
}

// ---------------------------------------------------------------- edges

TEST_F(PlayPhysicsTest, LeftEdgeClampsAndReverses) {
  LevelData l = vtest::BlankLevel();
  FillTiles(l, 0, kFloorRow, 49, 35, 0);
  PutObject(l, 0, kFloorRow - 1, play::kObjStart);  // x = 8
  PutObject(l, 48, 2, play::kObjExit);
  Play(l, "limit 200\n1 left\n");
  EXPECT_FLOAT_EQ(MinX(), 2.5f);
  bool reversed = false;
  for (size_t i = 1; i < samples.size(); ++i)
    if (samples[i].x == 2.5f && samples[i - 1].vx < 0 &&
        samples[i].vx == -samples[i - 1].vx - 0.005f)  // reversed, then the held left
      reversed = true;
  EXPECT_TRUE(reversed);
}

TEST_F(PlayPhysicsTest, TopEdgeClampsAndReverses) {
  LevelData l = vtest::BlankLevel();
  FillTiles(l, 0, 3, 49, 3, 0);
  PutObject(l, 10, 2, play::kObjStart);  // feet at y = 48
  PutObject(l, 48, 20, play::kObjExit);
  Play(l, "limit 300\n1 jump\n2 -\n");
  EXPECT_FLOAT_EQ(MinY(), 15.0f);
  EXPECT_FLOAT_EQ(samples.back().y, 48.0f);
}

TEST_F(PlayPhysicsTest, FallingBelowTheFieldKillsAndRestartsASecondLater) {
  LevelData l = vtest::BlankLevel();
  PutObject(l, 10, 10, play::kObjStart);
  PutObject(l, 48, 2, play::kObjExit);
  int lastAlive = 0, restartAt = 0;
  bool dead = false;
  play::PlayRunOptions o;
  o.onStep = [&] {
    if (play::Run.Player && !dead) lastAlive = plat::Millisecs();
    if (!play::Run.Player && lastAlive) dead = true;
    if (dead && !restartAt && play::Run.CountdownState != play::kCountdownIdle)
      restartAt = plat::Millisecs();
  };
  const auto r = play::RunPlayScript(l, Script("deaths 1\nlimit 5000\n"), o);
  ASSERT_GE(r.deaths, 1);
  // Free fall from y = 176 past y = 576 at gravity 0.0015, up to 1 px/step.
  EXPECT_GT(r.deathSteps[0], 700);
  EXPECT_LT(r.deathSteps[0], 1000);
  ASSERT_GT(restartAt, 0);
  EXPECT_GT(restartAt - lastAlive, 1000);
  EXPECT_LE(restartAt - lastAlive, 1000 + 17);
  // The second life started after a new countdown.
  EXPECT_EQ(r.deaths, 2);
}

// ---------------------------------------------------------------- colours

TEST_F(PlayPhysicsTest, OwnColourChangerOrNeutralMakeOtherBlocksSafe) {
  // Figure (colour 0) on its own colour, running into a wall of colour 5.
  LevelData own = FloorLevel(0);
  FillTiles(own, 13, 20, 13, kFloorRow - 1, 5);
  auto r = Play(own, "limit 300\n1 right\n");
  EXPECT_EQ(r.deaths, 0);
  EXPECT_TRUE(std::any_of(samples.begin(), samples.end(),
                          [](const Sample& s) { return s.hitRight == 1; }));

  LevelData neutral = FloorLevel(play::kTileNeutral);
  FillTiles(neutral, 13, 20, 13, kFloorRow - 1, 5);
  r = Play(neutral, "limit 300\n1 right\n");
  EXPECT_EQ(r.deaths, 0);

  // Standing on another colour with nothing safe kills in the first step.
  r = Play(FloorLevel(5), "limit 300\n");
  EXPECT_EQ(r.deaths, 1);
  EXPECT_EQ(r.deathSteps[0], 1);
}

TEST_F(PlayPhysicsTest, ChangerRecoloursAndLaterCellInScanWins) {
  // Neutral floor, a changer of colour 3 as a wall.
  LevelData l = FloorLevel(play::kTileNeutral);
  FillTiles(l, 13, 20, 13, kFloorRow - 1, 23);
  auto r = Play(l, "limit 300\n1 right\n");
  EXPECT_EQ(r.deaths, 0);
  EXPECT_EQ(samples.back().colour, 3);

  // A colour-5 block after the changer in scan order: neither recolour nor
  // death (the changer makes it safe).
  LevelData later = FloorLevel(play::kTileNeutral);
  FillTiles(later, 13, 20, 13, kFloorRow - 1, 23);
  FillTiles(later, 11, kFloorRow, 11, kFloorRow, 5);  // under the start: earlier column
  FillTiles(later, 12, kFloorRow, 12, kFloorRow, 5);
  play::Tavik t;
  t.x = 13 * 16 - 5.0f;  // touching the changer column and the floor cell of column 12
  t.y = kFloorY;
  play::TileScan s = play::ScanTiles(later, t);
  EXPECT_EQ(s.N, 23);  // the changer (column 13) comes after column 12
  later.TileGrid[13][kFloorRow] = 7;  // now a colour-7 block after the changer
  s = play::ScanTiles(later, t);
  EXPECT_EQ(s.N, 7);
  EXPECT_EQ(s.safe, 1);
}

TEST_F(PlayPhysicsTest, ZonesKillRegardlessOfSafeCellsButNotInOwnColour) {
  LevelData l = FloorLevel(0);
  FillTiles(l, 13, 20, 16, kFloorRow - 1, 44);  // a colour-4 zone ahead
  auto r = Play(l, "limit 400\n1 right\n");
  EXPECT_EQ(r.deaths, 1);

  LevelData own = FloorLevel(0);
  FillTiles(own, 13, 20, 16, kFloorRow - 1, 40);  // zone of the figure's colour
  r = Play(own, "limit 400\n1 right\n");
  EXPECT_EQ(r.deaths, 0);
  EXPECT_GT(samples.back().x, 16 * 16.0f);
}

// ---------------------------------------------------------------- walls

TEST_F(PlayPhysicsTest, WallReboundIsThreeQuartersWhilePushingElseFull) {
  LevelData l = FloorLevel(0);
  FillTiles(l, 20, 20, 20, kFloorRow - 1, 0);
  Play(l, "limit 900\n1 right\n");
  auto hit = std::find_if(samples.begin(), samples.end(),
                          [](const Sample& s) { return s.hitRight == 1; });
  ASSERT_NE(hit, samples.end());
  ASSERT_NE(hit, samples.begin());
  const float before = (hit - 1)->vx;
  // Rebound, then the held input accelerates by 0.005.
  EXPECT_FLOAT_EQ(hit->vx, -before * 0.75f + 0.005f);

  // Released one step before the contact: full rebound, then ground braking.
  const int contact = hit->step;
  Play(l, "limit 900\n1 right\n" + std::to_string(contact - 1) + " -\n");
  hit = std::find_if(samples.begin(), samples.end(),
                     [](const Sample& s) { return s.hitRight == 1; });
  ASSERT_NE(hit, samples.end()) << contact << " " << samples.back().x << " " << samples.back().vx;
  const float prev = (hit - 1)->vx;
  EXPECT_FLOAT_EQ(hit->vx, -prev + 0.005f);
}

// ---------------------------------------------------------------- gun

TEST_F(PlayPhysicsTest, GunFiresAtStepFortyOneThenEveryFortyOneWithRecoil) {
  vtest::SoundLog sounds;
  Play(FloorLevel(0), "limit 200\n1 fire aim=600,472\n");
  std::vector<int> shots;
  for (size_t i = 1; i < samples.size(); ++i)
    if (samples[i].lastShotStep != samples[i - 1].lastShotStep) shots.push_back(samples[i].step);
  ASSERT_GE(shots.size(), 4u);
  EXPECT_EQ(shots[0], 41);
  EXPECT_EQ(shots[1], 82);
  EXPECT_EQ(shots[2], 123);
  EXPECT_EQ(shots[3], 164);
  EXPECT_EQ(At(41).bullets, 1);
  // Aimed level to the right: pushed left by 1/16 per shot.
  EXPECT_FLOAT_EQ(At(40).vx, 0.0f);
  EXPECT_FLOAT_EQ(At(41).vx, -0.0625f);
  EXPECT_GE(sounds.Count(fe::kSfxGunShot), 4);
}

// The push is formed in double from the degree helper and rounded once when
// stored, like the bullet's flight; rounding the push first differs in the
// last bit for about one aim in ten while the figure is moving.
TEST_F(PlayPhysicsTest, RecoilIsRoundedOnceWhenStored) {
  play::ResetLevel();  // empty grid: the figure flies free
  play::Run.StepCounter = 100;
  int differsFromPreRounded = 0;
  for (int ax = 0; ax < 800; ax += 37) {
    for (int ay = 0; ay < 600; ay += 41) {
      play::Tavik t;
      t.x = 168;
      t.y = 300;
      t.vx = 0.25f;
      t.vy = -0.1f;
      t.inFire = 1;
      t.aimX = static_cast<float>(ax);
      t.aimY = static_cast<float>(ay);
      t.Update();
      ASSERT_EQ(t.lastShotStep, 100);
      const float a = play::GetAngleBetween(t.x, t.y - 8, t.aimX, t.aimY);
      const float vyBefore = -0.1f + t.gravity;
      EXPECT_EQ(t.vx, static_cast<float>(0.25f - play::SinDeg(a) / 16)) << ax << "," << ay;
      EXPECT_EQ(t.vy, static_cast<float>(vyBefore - play::CosDeg(a) / 16)) << ax << "," << ay;
      const float preRounded = 0.25f - static_cast<float>(play::SinDeg(a) / 16);
      differsFromPreRounded += t.vx != preRounded;
    }
  }
  EXPECT_GT(differsFromPreRounded, 0);
  play::ResetBullets();
}

// ---------------------------------------------------------------- coins and exit

TEST_F(PlayPhysicsTest, ExitOnlyWithNoCoinsLeft) {
  LevelData l = FloorLevel(0);
  PutObject(l, 48, 2, 0);
  PutObject(l, 20, kFloorRow - 1, play::kObjExit);
  PutObject(l, 15, kFloorRow - 1, play::kObjCoin);
  vtest::SoundLog sounds;
  auto r = Play(l, "limit 1000\n1 right\n");
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.coinsLeft, 0);
  EXPECT_EQ(sounds.Count(fe::kSfxExitOpen), 1);
  EXPECT_EQ(sounds.Count(fe::kSfxLevelEnd), 1);
  // About steps / 480 s of level time.
  EXPECT_NEAR(r.timeMs, r.finishStep * 1000.0 / 480.0, 40.0);

  // A coin off the path keeps the exit shut.
  PutObject(l, 15, kFloorRow - 1, 0);
  PutObject(l, 5, 5, play::kObjCoin);
  r = Play(l, "limit 1000\n1 right\n");
  EXPECT_FALSE(r.finished);
  EXPECT_EQ(r.coinsLeft, 1);
  EXPECT_GT(samples.back().x, 20 * 16.0f);  // ran past the exit
}

TEST_F(PlayPhysicsTest, CoinsComeBackAfterADeath) {
  LevelData l = FloorLevel(0);
  PutObject(l, 12, kFloorRow - 1, play::kObjCoin);
  FillTiles(l, 16, 20, 16, kFloorRow - 1, 44);  // a zone that kills after the coin
  int coinsAtSecondGo = -1;
  bool died = false;
  play::PlayRunOptions o;
  o.onStep = [&] {
    if (!play::Run.Player) died = true;
    if (died && play::Run.Player && coinsAtSecondGo < 0) coinsAtSecondGo = play::Run.CoinsLeft;
  };
  const auto r = play::RunPlayScript(l, Script("deaths 1\nlimit 3000\n1 right\n"), o);
  EXPECT_EQ(r.deaths, 2);
  EXPECT_EQ(coinsAtSecondGo, 1);
}

// ---------------------------------------------------------------- slow motion

TEST_F(PlayPhysicsTest, SlowMotionGlidesEightToOneAndPopupForcesEight) {
  std::vector<int> perFrame;
  std::vector<int> changeTimes;
  std::vector<float> rates;
  play::PlayRunOptions o;
  int last = 8;
  o.onFrame = [&](int) {
    perFrame.push_back(play::Run.StepsPerFrame);
    rates.push_back(play::Run.TimeRate);
    if (play::Run.StepsPerFrame != last) changeTimes.push_back(plat::Millisecs());
    last = play::Run.StepsPerFrame;
    return true;
  };
  play::RunPlayScript(FloorLevel(0), Script("limit 700\n10 slow\n"), o);
  // From 8 down to 1 in seven single steps, at least 100 ms apart.
  auto first = std::find(perFrame.begin(), perFrame.end(), 7);
  ASSERT_NE(first, perFrame.end());
  std::vector<int> seq;
  for (auto it = first; it != perFrame.end(); ++it)
    if (seq.empty() || seq.back() != *it) seq.push_back(*it);
  ASSERT_GE(seq.size(), 7u);
  EXPECT_EQ(std::vector<int>(seq.begin(), seq.begin() + 7), (std::vector<int>{7, 6, 5, 4, 3, 2, 1}));
  for (size_t i = 1; i < 7 && i < changeTimes.size(); ++i)
    EXPECT_GT(changeTimes[i] - changeTimes[i - 1], 100);
  EXPECT_NEAR(changeTimes[6] - changeTimes[0], 6 * 116.7, 20);
  // The rate falls by 0.02 a frame: 35 frames to 0.3.
  auto slowStart = std::find_if(rates.begin(), rates.end(), [](float r) { return r < 1.0f; });
  auto slowEnd = std::find_if(rates.begin(), rates.end(), [](float r) { return r < 0.31f; });
  ASSERT_NE(slowEnd, rates.end());
  EXPECT_EQ(slowEnd - slowStart, 34);

  // The pause window, opened while slowed, brings 8 steps back.
  perFrame.clear();
  last = 8;
  play::RunPlayScript(FloorLevel(0), Script("limit 1500\n10 slow\n300 esc\n"), o);
  EXPECT_EQ(perFrame.back(), 8);
  EXPECT_EQ(play::Run.TargetStepsPerFrame, 8);
}

// ---------------------------------------------------------------- scan

TEST(PlayTileScanTest, NearbyScanEqualsFullScanOnRandomLevels) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> code(-1, 61);
  std::uniform_int_distribution<int> pick(0, 9);
  std::uniform_real_distribution<float> fx(-40.0f, 840.0f), fy(-40.0f, 620.0f);
  int compared = 0, hits = 0;
  for (int level = 0; level < 60; ++level) {
    play::LevelData l;
    for (int x = 0; x < play::kLevelW; ++x)
      for (int y = 0; y < play::kLevelH; ++y) l.TileGrid[x][y] = pick(rng) < 5 ? -1 : code(rng);
    for (int k = 0; k < 400; ++k) {
      play::Tavik t;
      t.colour = pick(rng) * 2;
      // Half the positions on exact cell edges, where the inclusive test bites.
      if (k % 2) {
        t.x = static_cast<float>(16 * (pick(rng) * 5)) + (k % 4 == 1 ? 5.0f : -6.0f);
        t.y = static_cast<float>(16 * (pick(rng) * 3 + 1)) + (k % 8 < 4 ? 0.0f : 1.0f);
      } else {
        t.x = fx(rng);
        t.y = fy(rng);
      }
      const play::TileScan a = play::ScanTiles(l, t), b = play::FullScanTiles(l, t);
      ASSERT_EQ(a.N, b.N) << t.x << "," << t.y;
      ASSERT_EQ(a.safe, b.safe);
      ASSERT_EQ(a.hitLeft, b.hitLeft);
      ASSERT_EQ(a.hitRight, b.hitRight);
      ASSERT_EQ(a.hitHead, b.hitHead);
      ASSERT_EQ(a.hitFloor, b.hitFloor);
      ASSERT_EQ(a.onGround, b.onGround);
      ASSERT_EQ(a.x, b.x);
      ASSERT_EQ(a.y, b.y);
      ++compared;
      hits += b.N != -1 || b.hitFloor || b.hitLeft;
    }
  }
  EXPECT_EQ(compared, 24000);
  EXPECT_GT(hits, 5000);  // the positions really met cells
  // A non-finite position meets every cell in the full scan; so does the near one.
  play::LevelData l;
  l.TileGrid[3][4] = 9;
  play::Tavik t;
  t.x = std::nanf("");
  EXPECT_EQ(play::ScanTiles(l, t).N, play::FullScanTiles(l, t).N);
}

// ---------------------------------------------------------------- repeatability

TEST_F(PlayPhysicsTest, SameScriptGivesTheSameRunBitForBit) {
  LevelData l = LedgeLevel(48);
  const std::string script = "limit 2000\n1 right jump\n300 left fire aim=10,10\n700 right\n";
  Play(l, script);
  const std::vector<Sample> first = samples;
  Play(l, script);
  ASSERT_EQ(first.size(), samples.size());
  for (size_t i = 0; i < first.size(); ++i) {
    ASSERT_EQ(first[i].x, samples[i].x);
    ASSERT_EQ(first[i].y, samples[i].y);
    ASSERT_EQ(first[i].vx, samples[i].vx);
  }
}

TEST(PlayScriptTest, ParsesAndRejects) {
  play::PlayScript s;
  std::string err;
  ASSERT_TRUE(play::ParsePlayScript("# c\nlimit 10\ndeaths 2\n1 right aim=3,-4 # x\n5 -\n5 slow esc\n", s, err));
  EXPECT_EQ(s.limit, 10);
  EXPECT_EQ(s.deaths, 2);
  ASSERT_EQ(s.lines.size(), 3u);
  EXPECT_EQ(s.lines[0].right, 1);
  EXPECT_EQ(s.lines[0].aimY, -4);
  EXPECT_EQ(s.lines[2].slowTaps, 1);
  EXPECT_FALSE(play::ParsePlayScript("5 right\n4 left\n", s, err));
  EXPECT_EQ(err, "line 2: steps must not go back");
  EXPECT_FALSE(play::ParsePlayScript("1 walk\n", s, err));
  EXPECT_FALSE(play::ParsePlayScript("0 right\n", s, err));
  EXPECT_FALSE(play::ParsePlayScript("1 aim=3\n", s, err));
}

}  // namespace
