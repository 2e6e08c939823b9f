// The figure of play, for the player and the replay ghost: movement,
// collision with the level's tiles, colour rules, rope and gun.
//
// Every simulation field is a 32-bit float and every angle goes through
// SinDeg/CosDeg, so a run repeats exactly from the same per-step input.
#pragma once
#include <memory>

#include "services/levelfile.h"

namespace play {

enum RopeStateValue { kRopeIdle = 0, kRopeFlying = 1, kRopeAttached = 2, kRopeRetracting = 3 };

// Probe boxes of the figure: left, top, right, bottom.
struct Box {
  float x1, y1, x2, y2;
};

class Tavik {
 public:
  float x = 0;  // centre line
  float y = 0;  // bottom of the feet; the body spans y-15 to y
  float alpha = 1.0f;
  int ghost = 0;
  float aimX = 0, aimY = 0;  // set to the pointer position on creation
  float vx = 0, vy = 0;
  float maxRunSpeed = 0.25f;
  float maxFallSpeed = 1.0f;
  float runAccel = 0.005f;
  float gravity = 0.0015f;
  float jumpSpeed = -0.4f;
  int hitFloor = 0, onGround = 0, hitHead = 0, hitLeft = 0, hitRight = 0;
  float halfWidth = 5.0f;
  float height = 15.0f;
  int onRope = 0;
  int lastShotStep = 0;
  int firing = 0;
  int fireInterval = 40;
  int facingRight = 0;
  int colour = 0;
  int ropeState = kRopeIdle;
  float hookX = 0, hookY = 0;
  float hookVX = 0, hookVY = 0;
  float hookMaxFall = 1.0f;
  float hookGravity = 0.0005f;
  int settleX = 0, settleY = 0;
  int inLeft = 0, inRight = 0, inJump = 0, inFire = 0, inRope = 0;

  Tavik();
  virtual ~Tavik() = default;

  virtual void ReadReplayInput();
  virtual void ReadInput();
  virtual void Update();
  virtual void CheckExit();
  virtual void CheckGhostExit();
  // The rope hook (play/rope.cpp).
  virtual void HangOnRope();
  virtual void UpdateRope();
  virtual void RopeSpring();
  virtual void RopeSpringLoose();
  virtual void PullHookBack(float speed);
  virtual void DrawRope();
  virtual void Draw();
  virtual void Die(int colour);
  virtual void SetColour(int colour);

  bool IsGhost() const { return ghost != 0; }

  // Collision shape around the current position.
  Box OuterBox() const;
  Box LeftProbe() const;
  Box RightProbe() const;
  Box HeadProbe() const;
  Box FloorProbe() const;
  Box GroundProbe() const;
  Box ZoneBox() const;
};
using TavikPtr = std::shared_ptr<Tavik>;

// What the tile scan of one Update found. The scan may be limited to the
// cells near the figure; ScanTiles gives the same answer as the full
// column-major scan of the level (see FullScanTiles, kept for the tests).
struct TileScan {
  int N = -1;  // code of the last qualifying cell
  bool safe = false;
  bool hitLeft = false, hitRight = false, hitHead = false, hitFloor = false, onGround = false;
  float x = 0, y = 0;  // position after the contact pushes
};
TileScan ScanTiles(const LevelData& level, const Tavik& t);
TileScan FullScanTiles(const LevelData& level, const Tavik& t);

void SpawnPlayer();
void SpawnGhost();
void RemovePlayer();

}  // namespace play
