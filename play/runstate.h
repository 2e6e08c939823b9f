// The state of the level in play: time base and slow motion, the player
// and the ghost, the finish, the countdown and status bar, the coins and
// the level glow. One instance, Run, for the whole program.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx.h"
#include "play/coins.h"
#include "play/countdown.h"
#include "play/tavik.h"

namespace play {

// What a missing figure means to the play step.
enum RespawnPhaseValue {
  kRespawnAwaitingFigure = 0,  // run started, no live figure seen yet
  kRespawnArmed = 1,           // a missing figure restarts the level after a second
  kRespawnIssued = 2,          // the restart has been issued
};

// The delay timer that the play loop offers.
enum DelayTimerValue { kDelayIdle = 0, kDelayWaiting = 1, kDelayDone = 2 };

struct RunVars {
  // Play loop and time base.
  int StepCounter = 0;
  int StepsPerFrame = 8;
  int TargetStepsPerFrame = 8;
  int StepChangeTime = 0;
  float TimeRate = 1.0f;
  float TargetTimeRate = 1.0f;
  int RespawnPhase = kRespawnArmed;
  int LastAliveTime = 0;
  int LastPlayedLevel = 0;
  TavikPtr Player, Ghost;
  bool LevelFinished = false;
  bool GhostFinished = false;
  float GlowAlpha = 0;
  int DelayTimerState = kDelayIdle;
  int DelayTimerTime = 0;

  // Countdown, banner and status bar.
  int CountdownState = kCountdownIdle;
  int CountdownTime = 0;
  int BannerState = kBannerHidden;
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

}  // namespace play
