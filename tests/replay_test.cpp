// Recording, the replay file and the ghost: the file's layout and when it is
// written, damaged files, the ghost following a recorded run through the real
// play loop, the replay button mid-run, input locked by the pause popup, and
// deleting a pack's replays.
#include "play/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "play/bullet.h"
#include "play/countdown.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/buttons.h"
#include "services/gamestate.h"
#include "services/geometry.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "support/bytes.h"
#include "support/play_support.h"
#include "support/sandbox.h"

namespace {

using play::LevelData;
using play::Replay;
using play::ReplayEvent;
using vtest::FillTiles;
using vtest::PutObject;

constexpr const char* kPack = "playrun";  // the harness's pack
constexpr int kLevelNo = 1;
constexpr int kActReplayButton = 6;

// A figure's state at the end of a step.
struct State {
  float x, y, vx, vy, hookX, hookY, hookVX, hookVY;
  int ropeState, colour;
  bool operator==(const State&) const = default;
};
State StateOf(const play::Tavik& t) {
  return {t.x, t.y, t.vx, t.vy, t.hookX, t.hookY, t.hookVX, t.hookVY, t.ropeState, t.colour};
}
std::ostream& operator<<(std::ostream& o, const State& s) {
  return o << "(" << s.x << "," << s.y << " v " << s.vx << "," << s.vy << " hook " << s.hookX << ","
           << s.hookY << " rope " << s.ropeState << " colour " << s.colour << ")";
}

using vtest::IntAt;

float FloatAt(const std::vector<uint8_t>& b, size_t off) {
  float v;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}

ReplayEvent Event(int step, float x, float y, int right = 0) {
  ReplayEvent e;
  e.step = step;
  e.x = x;
  e.y = y;
  e.aimX = 400;
  e.aimY = 300;
  e.changedRight = right;
  return e;
}

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::ResetAllState();
    vtest::ResetPlayState();
    plat::test::UseManualClock(100000, 0.0);
    oldCwd_ = plat::CurrentDir();
    dir_ = vtest::MakeTempDir("replay");
    ASSERT_TRUE(plat::ChangeDir(dir_));
    for (const char* d : {"data", "data/packs", "data/packs/playrun", "data/packs/playrun/replays"})
      ASSERT_TRUE(plat::CreateDir(d));
    fe::Game.CurrentPack = kPack;
    fe::Game.CurrentLevel = kLevelNo;
  }
  void TearDown() override {
    plat::ChangeDir(oldCwd_);
    vtest::RemoveTree(dir_);
    vtest::ResetPlayState();
    vtest::ResetAllState();
  }

  static std::string File() { return play::ReplayPath(kPack, kLevelNo); }
  static std::vector<uint8_t> FileBytes() {
    std::vector<uint8_t> b;
    plat::LoadFileBytes(File(), b);
    return b;
  }
  static void WriteFile(const std::vector<uint8_t>& b) {
    ASSERT_TRUE(plat::SaveFileSafely(File(), b, false));
  }

  // Floor of colour-0 blocks on row 30, start at column 4, exit where asked.
  static LevelData FloorLevel(int exitCol = 48, int exitRow = 2) {
    LevelData l = vtest::BlankLevel();
    FillTiles(l, 0, 30, 49, 35, 0);
    PutObject(l, 4, 29, play::kObjStart);
    PutObject(l, exitCol, exitRow, play::kObjExit);
    return l;
  }

  // Runs the script; `each` is called after every step.
  play::PlayRunResult Play(const LevelData& l, const std::string& script,
                           std::function<void()> each = {}) {
    play::PlayRunOptions o;
    o.level = kLevelNo;
    o.pack = kPack;
    o.onStep = std::move(each);
    return play::RunPlayScript(l, vtest::Script(script), o);
  }

  std::string oldCwd_, dir_;
};

// ---------------------------------------------------------------- the file

TEST_F(ReplayTest, HoldingRightRecordsEvery101StepsAndTheFileLaysOutEachEvent) {
  std::map<int, State> player;  // end of each run step
  const auto r = Play(FloorLevel(40, 29), "limit 5000\n1 right\n", [&] {
    if (play::Run.Player) player[play::Run.StepCounter] = StateOf(*play::Run.Player);
  });
  ASSERT_TRUE(r.finished) << play::DescribeRun(r);
  EXPECT_EQ(Replay.Recording, 0);
  EXPECT_TRUE(Replay.ReplayRecordList.empty());

  const std::vector<uint8_t> b = FileBytes();
  ASSERT_GE(b.size(), 68u);
  ASSERT_EQ((b.size() - 4) % 64, 0u);
  const size_t n = (b.size() - 4) / 64 - 1;
  EXPECT_EQ(IntAt(b, 0), r.timeMs);
  std::vector<int> steps;
  for (int s = 1; s <= r.finishStep; s += 101) steps.push_back(s);
  ASSERT_EQ(n, steps.size());
  player[0] = {72, 480, 0, 0, 0, 0, 0, 0, 0, 0};  // as spawned
  for (size_t k = 0; k < n; ++k) {
    const size_t at = 4 + 64 * k;
    SCOPED_TRACE(k);
    EXPECT_EQ(IntAt(b, at), steps[k]);
    // The state the step started from: the end of the step before.
    const State& s = player.at(steps[k] - 1);
    const float want[8] = {s.x, s.y, s.vx, s.vy, s.hookX, s.hookY, s.hookVX, s.hookVY};
    for (int f = 0; f < 8; ++f) EXPECT_EQ(FloatAt(b, at + 4 + 4 * f), want[f]) << "field " << f;
    EXPECT_EQ(IntAt(b, at + 36), 400);
    EXPECT_EQ(IntAt(b, at + 40), 300);
    for (int f = 0; f < 5; ++f)  // only the first event changes an input: right
      EXPECT_EQ(IntAt(b, at + 44 + 4 * f), k == 0 && f == 1 ? 1 : 0) << "flag " << f;
  }
  EXPECT_EQ(std::vector<uint8_t>(b.end() - 64, b.end()), std::vector<uint8_t>(64, 0));
}

TEST_F(ReplayTest, OnlyAFasterFinishedRunReplacesTheFile) {
  WriteFile(play::EncodeReplay(5000, {Event(1, 72, 480, 1)}));
  const std::vector<uint8_t> stored = FileBytes();
  play::LoadReplay();
  EXPECT_EQ(Replay.BestReplayTime, 5000);
  EXPECT_EQ(Replay.PlaybackMode, 1);

  auto finish = [](int time, int keep) {
    play::StartRecording();
    Replay.ReplayRecordList.push_back({Event(1, 1, 2, 1)});
    play::Run.RunTime = time;
    play::SaveReplay(keep);
    EXPECT_EQ(Replay.Recording, 0);
    EXPECT_TRUE(Replay.ReplayRecordList.empty());
  };
  finish(5000, 1);  // equal
  EXPECT_EQ(FileBytes(), stored);
  finish(6000, 1);  // slower
  EXPECT_EQ(FileBytes(), stored);
  finish(10, 0);  // a death or leaving: never kept
  EXPECT_EQ(FileBytes(), stored);
  finish(4999, 1);
  EXPECT_EQ(FileBytes(), play::EncodeReplay(4999, {Event(1, 1, 2, 1)}));
}

TEST_F(ReplayTest, DamagedFilesCountAsNoReplay) {
  auto withFloat = [](size_t off, float f) {
    std::vector<uint8_t> b = play::EncodeReplay(900, {Event(1, 72, 480), Event(102, 80, 480)});
    std::memcpy(b.data() + off, &f, 4);
    return b;
  };
  const std::vector<std::vector<uint8_t>> damaged = {
      {},
      play::EncodeReplay(0, {Event(1, 72, 480)}),
      play::EncodeReplay(-5, {Event(1, 72, 480)}),
      withFloat(4 + 4, std::nanf("")),    // x of event 0
      withFloat(4 + 64 + 32, INFINITY),   // hookVY of event 1
      withFloat(4 + 64 + 16, -INFINITY),  // vy of event 1
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE(i);
    WriteFile(damaged[i]);
    play::ClearPlayback();
    play::LoadReplay();
    EXPECT_EQ(Replay.PlaybackMode, 0);
    EXPECT_EQ(Replay.BestReplayTime, play::NoReplayTime);
    EXPECT_TRUE(Replay.ReplayPlaybackList.empty());
  }

  // A cut-off last event reads with zeros where its bytes are missing.
  std::vector<uint8_t> cut = play::EncodeReplay(900, {Event(1, 72, 480), Event(102, 80, 470)});
  cut.resize(4 + 64 + 8);
  play::DecodedReplay d;
  ASSERT_TRUE(play::DecodeReplay(cut.data(), cut.size(), d));
  ASSERT_EQ(d.events.size(), 2u);
  EXPECT_EQ(d.events[1].step, 102);
  EXPECT_EQ(d.events[1].x, 80.0f);
  EXPECT_EQ(d.events[1].y, 0.0f);
  EXPECT_EQ(d.events[1].aimX, 0);
}

TEST_F(ReplayTest, ATimeAndTheClosingEventGiveAGhostStandingAtTheStart) {
  WriteFile(play::EncodeReplay(1000, {}));
  int ghostSteps = 0;
  Play(FloorLevel(), "limit 600\n", [&] {
    if (!play::Run.Player) return;
    ASSERT_TRUE(play::Run.Ghost);
    ++ghostSteps;
    EXPECT_EQ(play::Run.Ghost->x, 72.0f);
    EXPECT_EQ(play::Run.Ghost->y, 480.0f);
    const play::GhostInputVars& g = Replay.GhostInput;
    EXPECT_EQ(g.left + g.right + g.jump + g.fire + g.rope + g.aimX + g.aimY, 0);
  });
  EXPECT_EQ(ghostSteps, 600);
  EXPECT_EQ(Replay.BestReplayTime, 1000);
}

TEST_F(ReplayTest, AnEventDueAfterTheGhostWasDroppedAppliesNothing) {
  // No closing event: the one event is pending with the list already empty,
  // so the ghost, standing on the exit's corner, is dropped at once.
  std::vector<uint8_t> b = play::EncodeReplay(1000, {Event(50, 300, 200, 1)});
  b.resize(b.size() - 64);
  WriteFile(b);
  bool sawGhostAfterFirst = false;
  Play(FloorLevel(5, 29), "limit 200\n", [&] {
    if (!play::Run.Player) return;
    if (play::Run.StepCounter > 1 && play::Run.Ghost) sawGhostAfterFirst = true;
  });
  EXPECT_FALSE(sawGhostAfterFirst);
  EXPECT_EQ(Replay.GhostInput.right, 0);
  EXPECT_EQ(Replay.GhostInput.aimX, 0);
}

// ---------------------------------------------------------------- the ghost

// Jumps onto a step and off it, a changer that recolours the figure, a shot
// and a swing on the rope from a ceiling, then the exit.
LevelData CourseLevel() {
  LevelData l = vtest::BlankLevel();
  FillTiles(l, 0, 30, 49, 35, 60);
  FillTiles(l, 14, 29, 16, 29, 60);  // a step one tile high
  FillTiles(l, 20, 30, 20, 30, 23);  // changer to colour 3 in the floor
  FillTiles(l, 22, 18, 34, 18, 60);  // ceiling for the rope
  PutObject(l, 4, 29, play::kObjStart);
  PutObject(l, 44, 29, play::kObjExit);
  return l;
}

// An event carries the aim the figure held at the end of the step before,
// so the pointer moves one step ahead of each shot and throw.
constexpr const char* kCourse =
    "limit 6000\n"
    "1 right aim=400,300\n"
    "500 right jump\n"
    "520 right\n"
    "899 right aim=700,200\n"
    "900 right fire\n"
    "905 right\n"
    "1299 right aim=500,100\n"
    "1300 right rope\n"
    "1700 right\n";

TEST_F(ReplayTest, TheGhostRetracesTheRecordedRunAndIsDroppedAtTheExit) {
  // Recording run, with the recorder checked against the snapshot's own
  // previous-step values (no input lock occurs in this run).
  std::map<int, State> recorded;
  std::vector<ReplayEvent> expected;
  bool shotFired = false;
  int last = Replay.LastEventStep;
  const auto r1 = Play(CourseLevel(), kCourse, [&] {
    if (!play::Run.Player) return;
    const play::InputVars& in = play::Input;
    const int s = play::Run.StepCounter;
    recorded[s] = StateOf(*play::Run.Player);
    if (s == 900) shotFired = play::Bullets.BulletList.Count() > 0;
    const int c[5] = {in.KeyDownLeft != in.PrevKeyDownLeft, in.KeyDownRight != in.PrevKeyDownRight,
                      in.KeyDownUp != in.PrevKeyDownUp, in.MouseDown1 != in.PrevMouseDown1,
                      in.MouseDown2 != in.PrevMouseDown2};
    if (c[0] + c[1] + c[2] + c[3] + c[4] > 0 || s > last + 100) {
      ReplayEvent e;
      e.step = s;
      e.changedLeft = c[0], e.changedRight = c[1], e.changedJump = c[2];
      e.changedFire = c[3], e.changedRope = c[4];
      expected.push_back(e);
      last = s;
    }
  });
  ASSERT_TRUE(r1.finished) << play::DescribeRun(r1);
  bool swung = false, recoloured = false;
  float top = 480;
  for (const auto& [s, st] : recorded) {
    swung = swung || st.ropeState == play::kRopeAttached;
    recoloured = recoloured || st.colour == 3;
    top = std::min(top, st.y);
  }
  EXPECT_TRUE(shotFired);
  EXPECT_TRUE(swung);
  EXPECT_TRUE(recoloured);
  EXPECT_LT(top, 440.0f);  // jumped

  const std::vector<uint8_t> file = FileBytes();
  play::DecodedReplay d;
  ASSERT_TRUE(play::DecodeReplay(file.data(), file.size(), d));
  ASSERT_EQ(d.events.size(), expected.size() + 1);
  for (size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE(k);
    ReplayEvent got = d.events[k], want = expected[k];
    EXPECT_EQ(got.step, want.step);
    EXPECT_EQ(std::vector<int>({got.changedLeft, got.changedRight, got.changedJump, got.changedFire,
                                got.changedRope}),
              std::vector<int>({want.changedLeft, want.changedRight, want.changedJump,
                                want.changedFire, want.changedRope}));
  }

  // Playback run: the player stands while the ghost replays.
  std::map<int, State> ghost;
  int dropped = 0;
  Play(CourseLevel(), "limit 6000\n", [&] {
    if (!play::Run.Player) return;
    if (play::Run.Ghost) {
      ghost[play::Run.StepCounter] = StateOf(*play::Run.Ghost);
    } else if (dropped == 0) {
      dropped = play::Run.StepCounter;
      EXPECT_FALSE(play::PlaybackPending());
    }
  });
  ASSERT_GT(dropped, 0);
  std::printf("recorded run: %d steps, %zu events; ghost dropped at step %d\n", r1.finishStep,
              expected.size(), dropped);
  EXPECT_LE(dropped, r1.finishStep);
  ASSERT_EQ(ghost.size(), static_cast<size_t>(dropped - 1));
  for (int s = 1; s < dropped; ++s) ASSERT_EQ(ghost.at(s), recorded.at(s)) << "step " << s;
  // Dropped where the recorded figure's box met the exit cell's corner.
  const State& at = recorded.at(dropped);
  const float ex = 44 * 16, ey = 29 * 16;
  EXPECT_TRUE(
      play::BoxesOverlap(at.x - 6, at.y - 16, at.x + 6, at.y + 1, ex - 8, ey - 8, ex + 8, ey + 8));
}

// ---------------------------------------------------------------- faults

TEST_F(ReplayTest, TheReplayButtonMidRunDiscardsTheRunAndRestartsOnce) {
  WriteFile(play::EncodeReplay(999999, {}));  // a ghost, to see it go and come back
  const std::vector<uint8_t> stored = FileBytes();
  int phase = 0;  // 0 running, 1 pressed, 2 next run going
  int lateRestarts = 0, lastCountdown = 0;
  size_t firstEventsOfNextRun = 0;
  int firstStepOfNextRun = -1;
  Play(FloorLevel(), "deaths 9\nlimit 1500\n1 right\n", [&] {
    if (phase == 0 && play::Run.Player && play::Run.StepCounter == 300) {
      ASSERT_EQ(Replay.Recording, 1);
      ASSERT_FALSE(Replay.ReplayRecordList.empty());
      fe::Button::DoAction(kActReplayButton);
      EXPECT_EQ(Replay.Recording, 0);
      EXPECT_TRUE(Replay.ReplayRecordList.empty());
      EXPECT_FALSE(play::Run.Player);
      EXPECT_FALSE(play::Run.Ghost);
      phase = 1;
      return;
    }
    // A restart once the countdown is under way sends it back to its start.
    if (lastCountdown > play::kCountdownWaitPopup &&
        play::Run.CountdownState == play::kCountdownWaitPopup)
      ++lateRestarts;
    lastCountdown = play::Run.CountdownState;
    if (phase == 1 && play::Run.Player) {
      phase = 2;
      firstStepOfNextRun = play::Run.StepCounter;
      firstEventsOfNextRun = Replay.ReplayRecordList.size();
      EXPECT_EQ(Replay.ReplayRecordList.front().step, 1);
      EXPECT_TRUE(play::Run.Ghost);
    }
  });
  EXPECT_EQ(phase, 2);
  EXPECT_EQ(lateRestarts, 0);
  EXPECT_EQ(firstStepOfNextRun, 1);
  EXPECT_EQ(firstEventsOfNextRun, 1u);
  EXPECT_EQ(FileBytes(), stored);
}

TEST_F(ReplayTest, NothingIsCapturedWithoutAPlayer) {
  play::StartRecording();
  play::Input.KeyDownRight = 1;
  play::Run.StepCounter = 500;
  play::UpdateRecording();
  EXPECT_TRUE(Replay.ReplayRecordList.empty());
}

TEST_F(ReplayTest, APauseWithAKeyHeldRecordsTheReleaseAndThePressOnly) {
  // Pause at step 400 with right held; closed again at 1400.
  std::vector<ReplayEvent> events;
  std::vector<int> lockedSteps;
  Play(FloorLevel(), "limit 2000\n1 right\n400 right esc\n1400 right esc\n1401 right\n", [&] {
    if (!play::Run.Player) return;
    if (play::Input.GameInputLocked) lockedSteps.push_back(play::Run.StepCounter);
    if (Replay.Recording)
      events.assign(Replay.ReplayRecordList.begin(), Replay.ReplayRecordList.end());
  });
  ASSERT_GT(lockedSteps.size(), 900u);
  std::vector<int> changes;
  for (const ReplayEvent& e : events) {
    EXPECT_EQ(e.changedLeft + e.changedJump + e.changedFire + e.changedRope, 0);
    if (e.changedRight) changes.push_back(e.step);
  }
  // Pressed at 1, released when the lock began, pressed when it ended.
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0], 1);
  EXPECT_EQ(changes[1], lockedSteps.front());
  EXPECT_EQ(changes[2], lockedSteps.back() + 1);
}

// ---------------------------------------------------------------- deleting

TEST_F(ReplayTest, DeletingThePacksReplaysTakesOnlyNamesEndingInPlay) {
  const std::string dir = "data/packs/playrun/replays/";
  for (const char* name :
       {"3.doyplay", "12.doyplay", "notes.txt", "7.DOYPLAY", "x.doyPlay", "play"})
    ASSERT_TRUE(plat::SaveFileSafely(dir + name, {1, 2, 3}, false)) << name;
  ASSERT_TRUE(plat::CreateDir(dir + "sub.doyplay"));
  play::DeletePackReplays();
  EXPECT_EQ(plat::ReadDir(dir),
            (std::vector<std::string>{"7.DOYPLAY", "notes.txt", "sub.doyplay", "x.doyPlay"}));
}

}  // namespace
