// The figure, and the play loop that steps it: run state, countdown, coins,
// status bar and the drawing of a frame of play.
//
// Every simulation field is a 32-bit float and every angle goes through
// SinDeg/CosDeg, so a run repeats exactly from the same per-step input.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx.h"
#include "play/input.h"
#include "play/level.h"

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
  int N = -1;     // code of the last qualifying cell
  int safe = 0;
  int hitLeft = 0, hitRight = 0, hitHead = 0, hitFloor = 0, onGround = 0;
  float x = 0, y = 0;  // position after the contact pushes
};
TileScan ScanTiles(const LevelData& level, const Tavik& t);
TileScan FullScanTiles(const LevelData& level, const Tavik& t);

int SpawnPlayer();
int SpawnGhost();
int RemovePlayer();

// ---------------------------------------------------------------- coins
struct Rgb;  // play/palette.h

class coins {
 public:
  int x = 0, y = 0;
  int active = 1;

  void Draw();
  static void DrawAll();
  // The colour coins are drawn in now; steps the colour cycle every 100 ms.
  static Rgb NextTint();
  static void CheckCollect();
  void Collect();
  static std::shared_ptr<coins> Create(int x, int y);
};
int ResetCoins();
int ClearCoins();

// ---------------------------------------------------------------- run state
enum CountdownStateValue {
  kCountdownIdle = 0,
  kCountdownWaitPopup = 1,
  kCountdownFirst = 2,
  kCountdownSecond = 3,
  kCountdownGo = 4,
};

struct RunVars {
  // Play loop and time base.
  int StepCounter = 0;
  int StepsPerFrame = 8;
  int TargetStepsPerFrame = 8;
  int StepChangeTime = 0;
  float TimeRate = 1.0f;
  float TargetTimeRate = 1.0f;
  int RespawnPhase = 1;
  int LastAliveTime = 0;
  int LastPlayedLevel = 0;
  TavikPtr Player, Ghost;
  int LevelFinished = 0;
  int GhostFinished = 0;
  float GlowAlpha = 0;
  int DelayTimerState = 0;
  int DelayTimerTime = 0;

  // Countdown, banner and status bar.
  int CountdownState = kCountdownIdle;
  int CountdownTime = 0;
  int BannerState = 0;
  int BannerTime = 0;
  float ReadyAlpha = 0, GoAlpha = 0;
  float ReadyScale = 1.0f, GoScale = 1.0f;
  int RunTime = 0;  // clock at go; the run's time once finished
  int ShownRunTime = 0;
  std::string TimeText;
  int HudColour = 0;

  // Coins.
  std::vector<std::shared_ptr<coins>> CoinList;
  int CoinsLeft = 0;
  int CoinCycleIndex = 0;
  int CoinCycleTime = 0;

  // Level glow: a blurred thumbnail of the level, rebuilt per level start.
  plat::ImagePtr GlowImage;
};
extern RunVars Run;
// Back to the values the program starts with (clock values from the clock).
void ResetRun();

// Hooks for the play harness: called at fixed points of every step and
// frame. Empty by default.
struct PlayHooks {
  void (*BeforePoll)(void* ctx) = nullptr;  // in StepGame, after StepCounter += 1
  void (*AfterStep)(void* ctx) = nullptr;
  void* ctx = nullptr;
  // Headless runs leave the music alone (no sound library needed); the
  // random track is still drawn so the random sequence stays the same.
  bool NoMusic = false;
};
extern PlayHooks Hooks;

// ---------------------------------------------------------------- play loop
// The routine of game state 5: plays level n of the current pack until the
// game state changes.
void PlayLevel(int n);
// The pieces of PlayLevel, for the harness: set-up (with preset, the level
// is taken from it instead of LoadLevel), one frame, clean-up.
void BeginPlay(int n, const LevelData* preset = nullptr);
// One frame of play; with draw false nothing is drawn and the display is
// not flipped (headless runs advance the clock themselves).
void PlayFrame(bool draw);
void EndPlay(int n);

int StepGame();
int FinishLevel();
int RestartLevel();
int ResetLevelRun();
int StepDelayTimer();
int CallSpawnPlayer();

// ---------------------------------------------------------------- countdown
int UpdateCountdown();
int DrawCountdownOverlay();
int UpdateReadyGoBanner();
int DrawReadyGoBanner();
int DrawBottomBar(float x, float y, int cycleColours);
int UpdateTimeText();
int DrawTimeText();
// "m.ss:mmm": the running time leaves milliseconds without leading zeros.
std::string StatusTimeText(int ms);

// ---------------------------------------------------------------- drawing
int DrawLevel(int noMarkers);
int DrawGame();
// The level's background and cells are drawn from one picture, painted
// again whenever the grids change (menus and play alike), and slow motion's
// glow from pictures painted once per level and alpha. Caching paints them
// now (play set-up) rather than in the first frame; dropping frees them.
void CacheLevelPicture();
void DropLevelPicture();
// Off: every frame is drawn as it is built, cell by cell with the glow
// stretched in place; the reference the pictures must match (tests).
void UsePaintedPictures(bool on);
int RenderLevelGlow(int noMarkers, int noBackground);
plat::ImagePtr MakeThumbnail(const plat::ImagePtr& image);
int DrawGlow(float alpha);
int ShowGlowDebug();

}  // namespace play
