#include "sim.h"

#include "play/bullet.h"
#include "play/runstate.h"
#include "services/geometry.h"
#include "services/level.h"

namespace solve {

void SimFigure::Die(int) { dead = 1; }
void SimFigure::SetColour(int c) { colour = c; }

void LoadSimLevel(const play::LevelData& data, SimLevel& out) {
  out.data = data;
  out.coins.clear();
  static_cast<play::LevelData&>(play::Level) = data;
  for (int x = 0; x < play::kLevelW; ++x)
    for (int y = 0; y < play::kLevelH; ++y) {
      const int o = data.ObjectGrid[x][y];
      if (o == play::kObjStart) out.startX = 16.0f * x + 8, out.startY = 16.0f * y + 16;
      if (o == play::kObjExit) out.exitX = 16.0f * x, out.exitY = 16.0f * y;
      if (o == play::kObjCoin) out.coins.push_back({16 * x, 16 * y});
    }
  play::Level.StartX = out.startX;
  play::Level.StartY = out.startY;
  play::Level.ExitX = out.exitX;
  play::Level.ExitY = out.exitY;
}

SimState StartState(const SimLevel& level) {
  SimState s;
  s.fig.x = level.startX;
  s.fig.y = level.startY;
  s.fig.aimX = 400;
  s.fig.aimY = 300;
  s.fig.lastShotStep = 0;
  return s;
}

bool FigureMeetsCell(const play::Tavik& t, int i, int j) {
  const play::Box o = t.OuterBox();
  const float cx = 16.0f * i, cy = 16.0f * j;
  return play::BoxesOverlap(o.x1, o.y1, o.x2, o.y2, cx, cy, cx + 16, cy + 16) != 0;
}

namespace {

void ReadHeld(const SimLevel& level, SimState& s, const Held& in) {
  SimFigure& f = s.fig;
  if (level.data.AllowMovement == 1) f.inLeft = in.left, f.inRight = in.right, f.inJump = in.jump;
  if (level.data.AllowShooting == 1) f.inFire = in.fire;
  if (level.data.AllowRope == 1) f.inRope = in.rope;
  f.aimX = static_cast<float>(s.aimX);
  f.aimY = static_cast<float>(s.aimY);
}

bool AtOpenExit(const SimLevel& level, const SimState& s) {
  if (s.coinsTaken != (level.coins.size() >= 64 ? ~0ull : (1ull << level.coins.size()) - 1))
    return false;
  const play::Box o = s.fig.OuterBox();
  return play::BoxesOverlap(o.x1, o.y1, o.x2, o.y2, level.exitX, level.exitY, level.exitX + 16,
                            level.exitY + 16) != 0;
}

void CollectCoins(const SimLevel& level, SimState& s) {
  const SimFigure& f = s.fig;
  for (size_t k = 0; k < level.coins.size(); ++k) {
    const Coin& c = level.coins[k];
    if (play::BoxesOverlap(f.x - 6, f.y - 16, f.x + 6, f.y + 1, c.x, c.y, c.x + 16, c.y + 16))
      s.coinsTaken |= 1ull << k;
  }
}

}  // namespace

bool RunSteps(const SimLevel& level, SimState& s, const Held& in, int count) {
  if (in.setAim) s.aimX = in.aimX, s.aimY = in.aimY;
  for (int k = 0; k < count && !s.finished; ++k) {
    s.step += 1;
    play::Run.StepCounter = s.step;
    ReadHeld(level, s, in);
    s.fig.UpdateRope();
    if (AtOpenExit(level, s)) {
      s.finished = true;
      return true;
    }
    s.fig.Update();
    if (s.fig.inFire) play::ResetBullets();
    if (s.fig.dead) return false;
    CollectCoins(level, s);
  }
  return true;
}

}  // namespace solve
