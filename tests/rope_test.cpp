// The rope hook: throw, flight, sticking, thrown back, release and pull
// back, the hanging spring and swinging, with the sounds each change asks
// for. Figures are made by hand on levels built in the test; the physics
// steps are the figure's own UpdateRope and Update.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "frontend/startup.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/bullet.h"
#include "play/harness.h"
#include "play/particle.h"
#include "play/rope.h"
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

using play::Tavik;

constexpr int kOut = fe::kSfxRopeOut, kIn = fe::kSfxRopeIn, kConnect = fe::kSfxRopeConnect;

class RopeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::ResetLevel();
    play::ResetRun();
    play::ResetBullets();
    play::ResetParticles();
  }
  void TearDown() override {
    play::ResetBullets();
    play::ResetParticles();
  }

  // A figure standing in the air with its hand at (x, y - 8), aiming at
  // (aimX, aimY), rope input held.
  static Tavik Figure(float x, float y, float aimX, float aimY) {
    Tavik t;
    t.x = x;
    t.y = y;
    t.aimX = aimX;
    t.aimY = aimY;
    t.inRope = 1;
    return t;
  }

  // Rope steps until the state leaves `from` (at most `limit` steps);
  // returns the steps taken.
  static int RopeUntilLeaves(Tavik& t, int from, int limit) {
    int n = 0;
    while (t.ropeState == from && n < limit) {
      t.UpdateRope();
      ++n;
    }
    return n;
  }

  vtest::SoundLog sounds;
};

TEST_F(RopeTest, ThrowStartsAtTheHandAndFliesUnderLightGravityWithAFallCap) {
  Tavik t = Figure(400, 500, 400, 100);  // straight up
  t.ropeState = play::kRopeIdle;
  t.UpdateRope();
  EXPECT_EQ(t.ropeState, play::kRopeFlying);
  EXPECT_FLOAT_EQ(t.hookX, 400);
  EXPECT_FLOAT_EQ(t.hookY, 492);
  EXPECT_NEAR(t.hookVX, 0, 1e-6);
  EXPECT_FLOAT_EQ(t.hookVY, -1);
  EXPECT_EQ(sounds.Take(), std::vector<int>{kOut});

  // One pixel per step at first, 0.0005 slower each step.
  t.UpdateRope();
  EXPECT_FLOAT_EQ(t.hookY, 491);
  EXPECT_FLOAT_EQ(t.hookVY, -0.9995f);
  for (int i = 1; i < 400; ++i) t.UpdateRope();
  EXPECT_NEAR(t.hookY, 492 - (400 - 0.0005 * 399 * 400 / 2), 0.05);
  EXPECT_NEAR(t.hookVY, -0.8, 1e-4);
  EXPECT_EQ(t.ropeState, play::kRopeFlying);
  EXPECT_TRUE(sounds.Take().empty());

  // Falling: the speed stops at hookMaxFall.
  t.hookVY = 0.9999f;
  const float y0 = t.hookY;
  t.UpdateRope();
  EXPECT_FLOAT_EQ(t.hookY, y0 + 0.9999f);
  EXPECT_EQ(t.hookVY, t.hookMaxFall);
  t.UpdateRope();
  EXPECT_FLOAT_EQ(t.hookY, y0 + 0.9999f + 1.0f);
  EXPECT_EQ(t.hookVY, 1.0f);
}

TEST_F(RopeTest, HookSticksToBlocksChangersAndNeutralAndIsThrownBackByNoRope) {
  for (int code = 0; code <= 61; ++code) {
    SCOPED_TRACE(code);
    play::Level.Clear();
    play::Level.TileGrid[25][10] = code;  // (400..416, 160..176)
    Tavik t = Figure(408, 300, 408, 0);
    t.UpdateRope();
    sounds.Take();
    const int steps = RopeUntilLeaves(t, play::kRopeFlying, 200);
    const std::vector<int> heard = sounds.Take();
    if (code <= 39 || code == 60) {
      EXPECT_EQ(t.ropeState, play::kRopeAttached);
      EXPECT_EQ(heard, std::vector<int>{kConnect});
      // The hook box (0.5 px) reaches the cell's bottom edge at 176.
      EXPECT_NEAR(t.hookY, 176.25, 1.0);
      EXPECT_EQ(t.onRope, 0);  // set from the next step on
      t.UpdateRope();
      EXPECT_EQ(t.onRope, 1);
      EXPECT_EQ(t.ropeState, play::kRopeAttached);
    } else if (code == 61) {
      EXPECT_EQ(t.ropeState, play::kRopeRetracting);
      EXPECT_EQ(heard, std::vector<int>{kIn});
    } else {
      // Zones do not hold the hook: it flies through and on up.
      EXPECT_EQ(steps, 200);
      EXPECT_EQ(t.ropeState, play::kRopeFlying);
      EXPECT_TRUE(heard.empty());
      EXPECT_LT(t.hookY, 160);
    }
  }
}

TEST_F(RopeTest, EveryMeetingCellActsAndTheLastInScanOrderDecides) {
  // Landing on the border of two blocks: connect sounds twice.
  play::Level.TileGrid[25][10] = 3;
  play::Level.TileGrid[26][10] = 3;
  Tavik t = Figure(416, 300, 416, 0);
  t.UpdateRope();
  sounds.Take();
  RopeUntilLeaves(t, play::kRopeFlying, 200);
  EXPECT_EQ(t.ropeState, play::kRopeAttached);
  EXPECT_EQ(sounds.Take(), (std::vector<int>{kConnect, kConnect}));

  // No-rope zone first in the scan, block later: the block wins.
  play::Level.TileGrid[25][10] = 61;
  Tavik u = Figure(416, 300, 416, 0);
  u.UpdateRope();
  sounds.Take();
  RopeUntilLeaves(u, play::kRopeFlying, 200);
  EXPECT_EQ(u.ropeState, play::kRopeAttached);
  EXPECT_EQ(sounds.Take(), (std::vector<int>{kIn, kConnect}));

  // Block first, no-rope zone later: thrown back.
  play::Level.TileGrid[25][10] = 3;
  play::Level.TileGrid[26][10] = 61;
  Tavik v = Figure(416, 300, 416, 0);
  v.UpdateRope();
  sounds.Take();
  RopeUntilLeaves(v, play::kRopeFlying, 200);
  EXPECT_EQ(v.ropeState, play::kRopeRetracting);
  EXPECT_EQ(sounds.Take(), (std::vector<int>{kConnect, kIn}));
}

TEST_F(RopeTest, ReleaseAndLeavingTheWindowPullTheHookBackEachWithItsSound) {
  Tavik t = Figure(400, 300, 400, 0);
  t.ropeState = play::kRopeAttached;
  t.hookX = 400;
  t.hookY = 100;
  t.inRope = 0;
  t.UpdateRope();
  EXPECT_EQ(t.ropeState, play::kRopeRetracting);
  EXPECT_EQ(sounds.Take(), std::vector<int>{kIn});

  // Released while outside the window: both reasons sound.
  t.ropeState = play::kRopeAttached;
  t.hookX = -1;
  t.UpdateRope();
  EXPECT_EQ(t.ropeState, play::kRopeRetracting);
  EXPECT_EQ(sounds.Take(), (std::vector<int>{kIn, kIn}));

  // A flying hook leaving the window on the right while held.
  Tavik f = Figure(795, 300, 2000, 292);
  f.UpdateRope();
  sounds.Take();
  const int steps = RopeUntilLeaves(f, play::kRopeFlying, 100);
  EXPECT_EQ(f.ropeState, play::kRopeRetracting);
  EXPECT_GT(f.hookX, 800);
  EXPECT_EQ(steps, 6);  // 792 + 9 > 800
  EXPECT_EQ(sounds.Take(), std::vector<int>{kIn});

  // The window edges themselves are inside.
  Tavik e = Figure(400, 300, 400, 0);
  e.ropeState = play::kRopeAttached;
  e.hookX = 800;
  e.hookY = 0;
  e.UpdateRope();
  EXPECT_EQ(e.ropeState, play::kRopeAttached);
}

TEST_F(RopeTest, RetractingHookComesBackATenthAtATimeAndCanBeThrownAgainAtOnce) {
  Tavik t = Figure(400, 300, 400, 0);
  t.ropeState = play::kRopeRetracting;
  t.hookX = 500;
  t.hookY = 92;  // 100 px right and 200 px above the hand (400, 292)
  t.inRope = 1;  // held all the time: nothing happens until it is back
  t.UpdateRope();
  EXPECT_FLOAT_EQ(t.hookX, 490);
  EXPECT_FLOAT_EQ(t.hookY, 112);
  EXPECT_EQ(t.ropeState, play::kRopeRetracting);
  int steps = 1;
  while (t.ropeState == play::kRopeRetracting && steps < 200) {
    t.UpdateRope();
    ++steps;
  }
  // Back within the hand box (4 + 4 px reach): 0.9^n * 200 <= 8 after 31 steps.
  EXPECT_EQ(steps, 31);
  EXPECT_EQ(t.ropeState, play::kRopeFlying);  // thrown again in the same step
  EXPECT_EQ(sounds.Take(), std::vector<int>{kOut});

  // Released: it settles idle and then follows the hand.
  Tavik r = Figure(400, 300, 400, 0);
  r.ropeState = play::kRopeRetracting;
  r.hookX = 403;
  r.hookY = 292;
  r.inRope = 0;
  r.UpdateRope();
  EXPECT_EQ(r.ropeState, play::kRopeIdle);
  r.x = 300;
  r.UpdateRope();
  EXPECT_FLOAT_EQ(r.hookX, 300);
  EXPECT_FLOAT_EQ(r.hookY, 292);
  EXPECT_TRUE(sounds.Take().empty());
}

TEST_F(RopeTest, TheGhostsHookChangesStateSilently) {
  play::Level.TileGrid[25][10] = 61;
  play::Level.TileGrid[26][10] = 3;
  Tavik g = Figure(416, 300, 416, 0);
  g.ghost = 1;
  g.UpdateRope();
  RopeUntilLeaves(g, play::kRopeFlying, 200);
  EXPECT_EQ(g.ropeState, play::kRopeAttached);
  g.inRope = 0;
  g.UpdateRope();
  EXPECT_EQ(g.ropeState, play::kRopeRetracting);
  EXPECT_TRUE(sounds.Ids().empty());
}

TEST_F(RopeTest, ANonFiniteHookIsPulledBackToTheHand) {
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    Tavik t = Figure(400, 300, 400, 0);
    t.ropeState = play::kRopeFlying;
    t.hookX = bad;
    t.hookY = 100;
    t.UpdateRope();
    EXPECT_EQ(t.ropeState, play::kRopeRetracting);
    t.inRope = 0;
    t.UpdateRope();
    EXPECT_EQ(t.ropeState, play::kRopeIdle);
    EXPECT_FLOAT_EQ(t.hookX, 400);
  }
}

// ------------------------------------------------------------------ springs

// A level with a ceiling of blocks the hook hangs from (row 5, bottom y 96).
void BuildCeiling() {
  for (int i = 10; i < 40; ++i) play::Level.TileGrid[i][5] = 0;
}

// A figure attached under (hookX, 96), rope held.
Tavik Hanging(float x, float y, float hookX) {
  Tavik t;
  t.x = x;
  t.y = y;
  t.aimX = hookX;
  t.aimY = 0;
  t.inRope = 1;
  t.ropeState = play::kRopeAttached;
  t.hookX = hookX;
  t.hookY = 96;
  return t;
}

void Step(Tavik& t) {
  t.UpdateRope();
  t.Update();
}

TEST_F(RopeTest, TheSpringAloneNeverGivesMoreThan0Point6InEitherAxis) {
  Tavik t = Hanging(400, 590, -50000);
  t.hookY = -5000;  // a stretch far beyond anything in play
  t.vx = 0.59f;
  t.vy = -0.59f;
  t.RopeSpring();
  EXPECT_EQ(t.vx, -0.6f);
  EXPECT_EQ(t.vy, -0.6f);

  std::mt19937 rng(7);
  std::uniform_real_distribution<float> pos(-3000, 3000), vel(-0.6f, 0.6f);
  for (int i = 0; i < 5000; ++i) {
    t.x = pos(rng);
    t.y = pos(rng);
    t.hookX = pos(rng);
    t.hookY = pos(rng);
    t.vx = vel(rng);
    t.vy = vel(rng);
    t.RopeSpring();
    ASSERT_LE(std::fabs(t.vx), 0.6f);
    ASSERT_LE(std::fabs(t.vy), 0.6f);
  }

  // One step of the spring, by the numbers.
  Tavik s = Hanging(410, 200, 400);
  s.vx = 0.1f;
  s.vy = 0.2f;
  s.HangOnRope();
  EXPECT_FLOAT_EQ(s.vx, 0.1f * 0.999f + (400 - 410) * 0.00004f);
  EXPECT_FLOAT_EQ(s.vy, 0.2f * 0.999f + (96 + 20 - 200) * 0.00004f);
}

TEST_F(RopeTest, SwingInputPushesWithinTenPixelsOfTheHookAndBelowASpeedOf0Point3) {
  BuildCeiling();
  Tavik still = Hanging(400, 150, 400);
  Tavik right = still;
  right.inRight = 1;
  Step(still);
  Step(right);
  EXPECT_FLOAT_EQ(right.vx - still.vx, 0.002f);

  Tavik left = Hanging(400, 150, 400);
  left.inLeft = 1;
  Tavik ref = Hanging(400, 150, 400);
  Step(left);
  Step(ref);
  EXPECT_FLOAT_EQ(ref.vx - left.vx, 0.002f);

  // Ten pixels right of the hook: right does nothing more.
  Tavik far = Hanging(410, 150, 400), farRef = Hanging(410, 150, 400);
  far.inRight = 1;
  Step(far);
  Step(farRef);
  EXPECT_EQ(far.vx, farRef.vx);

  // At 0.3 already: no push.
  Tavik fast = Hanging(400, 150, 400), fastRef = Hanging(400, 150, 400);
  fast.vx = fastRef.vx = 0.31f;
  fast.inRight = 1;
  Step(fast);
  Step(fastRef);
  EXPECT_EQ(fast.vx, fastRef.vx);

  // Released: the figure hangs for that one last step, then is let go.
  Tavik swing = Hanging(400, 150, 400);
  Step(swing);
  swing.inRope = 0;
  Step(swing);
  EXPECT_EQ(swing.ropeState, play::kRopeRetracting);
  EXPECT_EQ(swing.onRope, 1);
  Step(swing);
  EXPECT_EQ(swing.onRope, 0);
  EXPECT_EQ(sounds.Take(), std::vector<int>{kIn});
}

TEST_F(RopeTest, TheLooseSpringDampsOnceOnEnteringItsBandAndPullsOutsideIt) {
  Tavik t = Hanging(401, 96 + 25, 400);
  t.vx = 0.1f;
  t.vy = 0.2f;
  t.RopeSpringLoose();
  EXPECT_FLOAT_EQ(t.vx, 0.095f);
  EXPECT_FLOAT_EQ(t.vy, 0.19f);
  EXPECT_EQ(t.settleX, 1);
  EXPECT_EQ(t.settleY, 1);
  t.RopeSpringLoose();
  EXPECT_FLOAT_EQ(t.vx, 0.095f);
  EXPECT_FLOAT_EQ(t.vy, 0.19f);

  t.x = 500;
  t.y = 96 + 100;
  t.RopeSpringLoose();
  EXPECT_FLOAT_EQ(t.vx, 0.095f + (400.0f - 500.0f) / 40000);
  EXPECT_FLOAT_EQ(t.vy, 0.19f + (96.0f - 196.0f) / 40000);
  EXPECT_EQ(t.settleX, 0);
  EXPECT_EQ(t.settleY, 0);

  t.vx = 0.9f;
  t.RopeSpringLoose();
  EXPECT_EQ(t.vx, 0.6f);
}

// ------------------------------------------------------------- cell scan

// The hook's limited scan equals the full column-major scan.
TEST_F(RopeTest, LimitedHookScanEqualsTheFullScan) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> code(-1, 61), pick(0, 3);
  std::uniform_real_distribution<float> px(-40, 840), py(-40, 620);
  for (int level = 0; level < 20; ++level) {
    for (int i = 0; i < play::kLevelW; ++i)
      for (int j = 0; j < play::kLevelH; ++j)
        play::Level.TileGrid[i][j] = pick(rng) == 0 ? code(rng) : -1;
    for (int n = 0; n < 500; ++n) {
      // Many points on cell borders and corners, where several cells meet.
      float hx = px(rng), hy = py(rng);
      if (n % 3 == 0) hx = std::round(hx / 16) * 16 + (n % 2 ? 0.25f : 0);
      if (n % 5 == 0) hy = std::round(hy / 16) * 16 - (n % 2 ? 0.25f : 0);
      std::vector<int> limited, full;
      play::ForEachHookContact(play::Level, hx, hy, [&](int c) { limited.push_back(c); });
      for (int i = 0; i < play::kLevelW; ++i)
        for (int j = 0; j < play::kLevelH; ++j)
          if (play::BoxesOverlap(hx - 0.25f, hy - 0.25f, hx + 0.25f, hy + 0.25f, 16.0f * i,
                                 16.0f * j, 16.0f * i + 16, 16.0f * j + 16)) {
            const int c = play::HookContactOf(play::Level.TileGrid[i][j]);
            if (c != play::kHookMissed) full.push_back(c);
          }
      ASSERT_EQ(limited, full) << hx << "," << hy;
    }
  }
}

// ------------------------------------------------------- through the play loop

// The rope in real runs: floor at row 30 (y 480), a ceiling of blocks at row
// 5 (bottom y 96), start in column 10 (x 168).
class RopeRunTest : public vtest::FreshPlayTest {
 protected:
  struct Sample {
    int step;
    int ropeState, onRope;
    float x, y, hookX, hookY;
    std::vector<int> sounds;  // rope sounds of this step
  };


  static play::LevelData CeilingLevel(int ceilingCode = 0) {
    play::LevelData l = vtest::BlankLevel();
    vtest::FillTiles(l, 0, 30, 49, 35, 0);
    vtest::FillTiles(l, 0, 5, 49, 5, ceilingCode);
    vtest::PutObject(l, 10, 29, play::kObjStart);
    vtest::PutObject(l, 48, 2, play::kObjExit);
    return l;
  }

  play::PlayRunResult Play(const play::LevelData& level, const std::string& script,
                           play::PlayRunOptions o = {}) {
    samples.clear();
    vtest::SoundLog log;
    o.onStep = [this, &log] {
      std::vector<int> rope;
      for (int id : log.Take())
        if (id == kOut || id == kIn || id == kConnect) rope.push_back(id);
      if (!play::Run.Player) return;
      const Tavik& t = *play::Run.Player;
      samples.push_back({play::Run.StepCounter, t.ropeState, t.onRope, t.x, t.y, t.hookX,
                         t.hookY, rope});
    };
    return play::RunPlayScript(level, vtest::Script(script), o);
  }

  std::vector<int> RopeSounds() const {
    std::vector<int> all;
    for (const Sample& s : samples) all.insert(all.end(), s.sounds.begin(), s.sounds.end());
    return all;
  }
  const Sample& At(int step) const { return vtest::SampleAt(samples, step); }
  int FirstStepWithState(int state) const {
    for (const Sample& s : samples)
      if (s.ropeState == state) return s.step;
    return -1;
  }

  std::vector<Sample> samples;
};

TEST_F(RopeRunTest, ThrowStickHangAndRelease) {
  const auto r = Play(CeilingLevel(), "limit 26000\n1 rope aim=168,20\n24000 -\n");
  EXPECT_EQ(r.deaths, 0);
  ASSERT_FALSE(samples.empty());
  EXPECT_EQ(At(1).ropeState, play::kRopeFlying);
  EXPECT_EQ(At(1).sounds, std::vector<int>{kOut});

  // Straight up from the hand (168, 472) to the ceiling's bottom at 96.
  const int stuck = FirstStepWithState(play::kRopeAttached);
  ASSERT_GT(stuck, 0);
  EXPECT_NEAR(stuck, 421, 3);
  EXPECT_NEAR(At(stuck).hookY, 96.25, 1.0);
  EXPECT_FLOAT_EQ(At(stuck).hookX, 168);
  EXPECT_EQ(At(stuck).sounds, std::vector<int>{kConnect});
  EXPECT_EQ(At(stuck + 1).onRope, 1);

  // Lifted off the floor, it comes to rest about 57.5 px below the hook.
  const Sample& rest = At(23999);
  EXPECT_EQ(rest.ropeState, play::kRopeAttached);
  EXPECT_NEAR(rest.y - rest.hookY, 57.5, 0.5);
  EXPECT_NEAR(rest.x, 168, 0.1);

  // Released: rope in, the hook comes home and the figure lands.
  EXPECT_EQ(At(24000).ropeState, play::kRopeRetracting);
  EXPECT_EQ(At(24000).sounds, std::vector<int>{kIn});
  EXPECT_EQ(samples.back().ropeState, play::kRopeIdle);
  EXPECT_FLOAT_EQ(samples.back().y, 480);
  EXPECT_EQ(RopeSounds(), (std::vector<int>{kOut, kConnect, kIn}));
}

TEST_F(RopeRunTest, HoldingRightWhileHangingSwingsTheFigureOut) {
  Play(CeilingLevel(), "limit 14000\n1 rope aim=168,20\n8000 rope right\n");
  float before = 0, after = 0;
  for (const Sample& s : samples) {
    if (s.step < 8000) before = std::max(before, std::fabs(s.x - s.hookX));
    else after = std::max(after, s.x - s.hookX);
  }
  EXPECT_LT(before, 1.0f);  // hung straight
  EXPECT_GT(after, 20.0f);  // swung out past the 10-px push zone
  EXPECT_EQ(samples.back().ropeState, play::kRopeAttached);
}

TEST_F(RopeRunTest, ANoRopeCeilingThrowsTheHookBackAgainAndAgain) {
  Play(CeilingLevel(play::kTileNoRope), "limit 2000\n1 rope aim=168,20\n");
  for (const Sample& s : samples) ASSERT_EQ(s.onRope, 0);
  const std::vector<int> heard = RopeSounds();
  ASSERT_GE(heard.size(), 4u);
  EXPECT_EQ(std::vector<int>(heard.begin(), heard.begin() + 4),
            (std::vector<int>{kOut, kIn, kOut, kIn}));
}

// A drawn run, caught mid-swing.
TEST(RopeScreenshotTest, Swing) {
  vtest::GameSandbox sandbox(2);
  vtest::ResetPlayState();
  fe::StartUp();
  play::LevelData l = vtest::BlankLevel();
  vtest::FillTiles(l, 0, 30, 49, 35, 0);  // the figure's own colour
  vtest::FillTiles(l, 14, 8, 36, 9, 60);
  vtest::PutObject(l, 25, 29, play::kObjStart);
  vtest::PutObject(l, 48, 28, play::kObjExit);
  bool shoot = false, shot = false;
  play::PlayRunOptions o;
  o.draw = true;
  o.startAimX = 300;
  o.startAimY = 120;
  o.onStep = [&] {
    const auto& p = play::Run.Player;
    // Lifted off the floor, well out to the side of the hook.
    if (!shot && p && p->ropeState == play::kRopeAttached && p->y < p->hookY + 120 &&
        std::fabs(p->x - p->hookX) > 30)
      shoot = true;
  };
  plat::test::SetFrameHook([&](int64_t) {
    if (shoot && !shot) {
      EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("rope_swing")));
      shot = true;
    }
  });
  o.onFrame = [&](int f) { return !shot && f < 3000; };
  play::RunPlayScript(l, vtest::Script("limit 20000\n1 rope aim=300,120\n300 rope left aim=300,120\n"),
                      o);
  plat::test::SetFrameHook(nullptr);
  EXPECT_TRUE(shot);
  vtest::ResetPlayState();
}

}  // namespace
