#include "play/tavik.h"

#include <cmath>

#include "play/bullet.h"
#include "play/particle.h"
#include "play/playloop.h"
#include "play/replay.h"
#include "play/runstate.h"
#include "services/geometry.h"
#include "services/input.h"
#include "services/level.h"
#include "services/sound.h"

namespace play {

Tavik::Tavik() {
  aimX = static_cast<float>(Source().MouseX());
  aimY = static_cast<float>(Source().MouseY());
}

Box Tavik::OuterBox() const {
  const float w = halfWidth, h = height;
  return {x - w - 1, y - h - 1, x + w + 1, y + 1};
}
Box Tavik::LeftProbe() const {
  const float w = halfWidth, h = height;
  return {x - w, y - 0.6f * h, x - 0.8f * w, y - 0.4f * h};
}
Box Tavik::RightProbe() const {
  const float w = halfWidth, h = height;
  return {x + 0.8f * w, y - 0.6f * h, x + w, y - 0.4f * h};
}
Box Tavik::HeadProbe() const {
  const float w = halfWidth, h = height;
  return {x - 0.4f * w, y - h, x + 0.4f * w, y - 0.8f * h};
}
Box Tavik::FloorProbe() const {
  const float w = halfWidth, h = height;
  return {x - 0.4f * w, y - 0.2f * h, x + 0.4f * w, y};
}
Box Tavik::GroundProbe() const {
  Box b = FloorProbe();
  b.y1 += 1;
  b.y2 += 1;
  return b;
}
Box Tavik::ZoneBox() const {
  Box b = OuterBox();
  return {b.x1 + 2, b.y1 + 2, b.x2 - 2, b.y2 - 2};
}

namespace {

bool Meets(const Box& b, int i, int j) {
  const float cx = static_cast<float>(TileSize * i), cy = static_cast<float>(TileSize * j);
  return BoxesOverlap(b.x1, b.y1, b.x2, b.y2, cx, cy, cx + TileSize, cy + TileSize) != 0;
}

// The probe boxes of one step; fixed while the scan pushes the figure.
struct Probes {
  Box outer, left, right, head, floor, ground, zone;
  float w, h;
  int colour;
};

Probes MakeProbes(const Tavik& t) {
  return {t.OuterBox(), t.LeftProbe(), t.RightProbe(), t.HeadProbe(), t.FloorProbe(),
          t.GroundProbe(), t.ZoneBox(), t.halfWidth, t.height, t.colour};
}

void ContactProbes(const Probes& p, int i, int j, TileScan& s) {
  const float left = static_cast<float>(TileSize * i), top = static_cast<float>(TileSize * j);
  if (!s.hitLeft && Meets(p.left, i, j)) {
    s.hitLeft = true;
    s.x = left + TileSize + p.w;
  }
  if (!s.hitRight && Meets(p.right, i, j)) {
    s.hitRight = true;
    s.x = left - p.w;
  }
  if (!s.hitHead && Meets(p.head, i, j)) {
    s.hitHead = true;
    s.y = top + TileSize + p.h;
  }
  if (!s.hitFloor && Meets(p.floor, i, j)) {
    s.hitFloor = true;
    s.y = top;
  }
  if (!s.onGround && Meets(p.ground, i, j)) s.onGround = true;
}

void ScanCell(const Probes& p, int i, int j, int code, TileScan& s) {
  switch (const TileKind kind = KindOf(code)) {
    case TileKind::Block:
    case TileKind::Changer:
      if (Meets(p.outer, i, j)) {
        if (code != p.colour) s.N = code;
        // A block of the figure's own colour or any changer keeps it safe
        // from the other blocks it touches in the same step.
        if (code == p.colour || kind == TileKind::Changer) s.safe = true;
      }
      ContactProbes(p, i, j, s);
      break;
    case TileKind::Neutral:
      ContactProbes(p, i, j, s);
      if (Meets(p.outer, i, j)) s.safe = true;
      break;
    case TileKind::Zone:
      if (Meets(p.zone, i, j)) s.N = code;
      break;
    default:
      break;
  }
}

void ScanRange(const LevelData& level, const Probes& p, int i0, int i1, int j0, int j1,
               TileScan& s) {
  for (int i = i0; i <= i1; ++i)
    for (int j = j0; j <= j1; ++j) ScanCell(p, i, j, level.TileGrid[i][j], s);
}

TileScan StartScan(const Tavik& t) {
  TileScan s;
  s.x = t.x;
  s.y = t.y;
  return s;
}

// Cells along one axis that [lo, hi] can meet, with a cell of slack on
// each side; false when none lies in the grid.
bool AxisRange(float lo, float hi, int count, int& first, int& last) {
  const float f = std::floor(lo / TileSize) - 1.0f;
  const float l = std::floor(hi / TileSize) + 1.0f;
  if (l < 0.0f || f > static_cast<float>(count - 1)) return false;
  first = f < 0.0f ? 0 : static_cast<int>(f);
  last = l > static_cast<float>(count - 1) ? count - 1 : static_cast<int>(l);
  return first <= last;
}

}  // namespace

TileScan FullScanTiles(const LevelData& level, const Tavik& t) {
  TileScan s = StartScan(t);
  ScanRange(level, MakeProbes(t), 0, kLevelW - 1, 0, kLevelH - 1, s);
  return s;
}

// Every probe lies inside the union of the boxes, and a cell that misses a
// box can change nothing, so scanning only the cells near that union in the
// same order gives the full scan's result. Non-finite positions (where every
// comparison fails and every cell "meets") take the full scan.
TileScan ScanTiles(const LevelData& level, const Tavik& t) {
  const Probes p = MakeProbes(t);
  float x1 = p.outer.x1, y1 = p.outer.y1, x2 = p.outer.x2, y2 = p.outer.y2;
  for (const Box& b : {p.left, p.right, p.head, p.floor, p.ground, p.zone}) {
    x1 = std::fmin(x1, b.x1);
    y1 = std::fmin(y1, b.y1);
    x2 = std::fmax(x2, b.x2);
    y2 = std::fmax(y2, b.y2);
  }
  for (const Box& b : {p.outer, p.left, p.right, p.head, p.floor, p.ground, p.zone})
    if (!std::isfinite(b.x1) || !std::isfinite(b.y1) || !std::isfinite(b.x2) ||
        !std::isfinite(b.y2))
      return FullScanTiles(level, t);
  TileScan s = StartScan(t);
  int i0, i1, j0, j1;
  if (AxisRange(x1, x2, kLevelW, i0, i1) && AxisRange(y1, y2, kLevelH, j0, j1))
    ScanRange(level, p, i0, i1, j0, j1, s);
  return s;
}

void Tavik::ReadInput() {
  if (Level.AllowMovement == 1) {
    inLeft = Input.KeyDownLeft;
    inRight = Input.KeyDownRight;
    inJump = Input.KeyDownUp;
  }
  if (Level.AllowShooting == 1) inFire = Input.MouseDown1;
  if (Level.AllowRope == 1) inRope = Input.MouseDown2;
  aimX = static_cast<float>(Source().MouseX());
  aimY = static_cast<float>(Source().MouseY());
}

void Tavik::ReadReplayInput() {
  const GhostInputVars& g = Replay.GhostInput;
  inLeft = g.left;
  inRight = g.right;
  inJump = g.jump;
  inFire = g.fire;
  inRope = g.rope;
  aimX = static_cast<float>(g.aimX);
  aimY = static_cast<float>(g.aimY);
}

void Tavik::Update() {
  const float w = halfWidth, h = height;
  x += vx;
  y += vy;

  // Screen edges.
  if (x < w / 2) {
    x = w / 2;
    vx = -vx;
  }
  if (x > 800 - w / 2) {
    x = 800 - w / 2;
    vx = -vx;
  }
  if (y < h) {
    y = h;
    vy = -vy;
  }
  if (y > 576) Die(-1);

  // Tiles.
  const TileScan s = ScanTiles(Level, *this);
  hitFloor = s.hitFloor;
  onGround = s.onGround;
  hitHead = s.hitHead;
  hitLeft = s.hitLeft;
  hitRight = s.hitRight;
  x = s.x;
  y = s.y;

  // Contact response.
  if (hitFloor && vy > 0.01f) vy = 0;
  if (hitLeft && vx < 0) vx = inLeft ? -vx * 0.75f : -vx;
  if (hitRight && vx > 0) vx = inRight ? -vx * 0.75f : -vx;
  if (hitHead) vy = -vy;

  // Gravity and jump.
  if (vy < maxFallSpeed) vy += gravity;
  if (onGround && inJump && vy >= 0) vy = jumpSpeed;

  // Colour rules.
  const int c = TileColour(s.N);
  switch (KindOf(s.N)) {
    case TileKind::Block:
      if (c != colour && !s.safe && !IsGhost()) Die(c);
      break;
    case TileKind::Changer:
      if (c != colour) SetColour(c);
      break;
    case TileKind::Zone:
      if (c != colour) Die(c);
      break;
    default:
      break;
  }

  // Running or swinging.
  if (onRope == 1) {
    HangOnRope();
    if (inLeft && x > hookX - 10 && vx > -0.3f) vx -= 0.002f;
    if (inRight && x < hookX + 10 && vx < 0.3f) vx += 0.002f;
  } else if (inLeft) {
    if (vx > -maxRunSpeed) {
      vx -= runAccel;
    } else if (onGround) {
      vx += runAccel;
    }
  } else if (inRight) {
    if (vx < maxRunSpeed) {
      vx += runAccel;
    } else if (onGround) {
      vx -= runAccel;
    }
  } else if (onGround) {
    if (vx < -0.01f) {
      vx += runAccel;
    } else if (vx > 0.01f) {
      vx -= runAccel;
    } else {
      vx = 0;
    }
  }

  // Gun.
  if (inFire && lastShotStep + fireInterval < Run.StepCounter) {
    lastShotStep = Run.StepCounter;
    const float a = GetAngleBetween(x, y - 8, aimX, aimY);
    Bullet::Create(x, y - 8, colour, a, ghost);
    if (!IsGhost()) fe::PlaySoundEffect(fe::kSfxGunShot);
    // Formed in double like every other use of the degree helpers and
    // rounded once on storing; rounding the push first moves the figure
    // differently by a bit now and then.
    vx = static_cast<float>(vx - SinDeg(a) / 16);
    vy = static_cast<float>(vy - CosDeg(a) / 16);
  }
  firing = inFire;
}

void Tavik::CheckExit() {
  if (Run.LevelFinished || Run.CoinsLeft != 0) return;
  const Box o = OuterBox();
  if (!BoxesOverlap(o.x1, o.y1, o.x2, o.y2, Level.ExitX, Level.ExitY, Level.ExitX + TileSize,
                    Level.ExitY + TileSize))
    return;
  Run.LevelFinished = true;
  FinishLevel();
  SpawnSparkleParticles(x, y - 8);
  fe::PlaySoundEffect(fe::kSfxLevelEnd);
}

void Tavik::CheckGhostExit() {
  if (Run.GhostFinished || PlaybackPending()) return;
  const Box o = OuterBox();
  if (BoxesOverlap(o.x1, o.y1, o.x2, o.y2, Level.ExitX - 8, Level.ExitY - 8, Level.ExitX + 8,
                   Level.ExitY + 8))
    Run.GhostFinished = true;
}

void Tavik::Die(int c) {
  if (IsGhost()) return;
  SpawnDeathParticles(x, y - 8, c == -1 ? colour : c);
  fe::PlaySoundEffect(fe::kSfxBadColour);
  RemovePlayer();
  SaveReplay(0);
}

void Tavik::SetColour(int c) {
  colour = c;
  if (IsGhost()) return;
  SpawnColourChangeParticles(x, y - 8, c);
  fe::PlaySoundEffect(fe::kSfxColourChange);
}

namespace {

// A figure on the start cell whose gun may fire once its interval has passed.
TavikPtr NewFigureAtStart(int ghost) {
  auto t = std::make_shared<Tavik>();
  t->x = Level.StartX;
  t->y = Level.StartY;
  t->lastShotStep = Run.StepCounter;
  t->ghost = ghost;
  return t;
}

}  // namespace

void SpawnPlayer() {
  Run.Player = NewFigureAtStart(0);
  SpawnSparkleParticles(Run.Player->x, Run.Player->y - 8);
}

void SpawnGhost() {
  Run.Ghost = NewFigureAtStart(1);
}

void RemovePlayer() {
  Run.Player.reset();
}

}  // namespace play
