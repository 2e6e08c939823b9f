// The routine of game state 5: level set-up, the frame loop with its fixed
// simulation steps and slow motion, death and restart, the finish.
#pragma once
#include "services/levelfile.h"

namespace play {

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

// Hands the menu buttons the work of theirs that lies in play (restart,
// deleting the pack's replays); the start-up runs it once.
void InstallButtonActions();

void StepGame();
void FinishLevel();
void RestartLevel();
void ResetLevelRun();
// Offered by the play loop and called by nothing in the game.
void StepDelayTimer();
void CallSpawnPlayer();

}  // namespace play
