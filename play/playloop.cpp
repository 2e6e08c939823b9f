// The routine of game state 5: level set-up, the frame loop with its fixed
// simulation steps and slow motion, death and restart, the finish.
#include "play/playloop.h"

#include <cmath>

#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "play/bullet.h"
#include "play/coins.h"
#include "play/countdown.h"
#include "play/draw.h"
#include "play/particle.h"
#include "play/replay.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/sound.h"

namespace play {

PlayHooks Hooks;

namespace {

constexpr int kStepGlideMs = 100;
constexpr int kRespawnDelayMs = 1000;

int Now() { return plat::Millisecs(); }
bool MoreThanPast(int since, int ms) { return plat::MillisDiff(Now(), since) > ms; }

// The step count moves one toward its target per 100 ms; the time rate
// eases by 0.02 per frame toward 0.2 + target / 10.
void GlideTimeBase() {
  if (MoreThanPast(Run.StepChangeTime, kStepGlideMs)) {
    if (Run.StepsPerFrame < Run.TargetStepsPerFrame) {
      Run.StepsPerFrame += 1;
    } else if (Run.StepsPerFrame > Run.TargetStepsPerFrame) {
      Run.StepsPerFrame -= 1;
    }
    Run.StepChangeTime = Now();
  }
  Run.TargetTimeRate = 0.2f + static_cast<float>(Run.TargetStepsPerFrame) / 10.0f;
  if (Run.TimeRate > Run.TargetTimeRate) {
    Run.TimeRate -= 0.02f;
  } else if (Run.TimeRate < Run.TargetTimeRate) {
    Run.TimeRate += 0.02f;
  }
}

void AudioFollowsRate() {
  fe::SetEffectsRate(Run.TimeRate);
  if (Hooks.NoMusic) return;
  fe::SetMusicAttributes(static_cast<int>(std::trunc(44100.0f * Run.TimeRate)),
                         static_cast<int>(std::trunc(40.0f * Run.TimeRate)));
}

void DrawCursor() {
  plat::SetColor(255, 255, 255);
  plat::DrawImage(fe::Res.ImgCursor, static_cast<float>(Source().MouseX()),
                  static_cast<float>(Source().MouseY()));
}

int gPlayState = 0;  // the game state PlayLevel was entered with

}  // namespace

void ResetLevelRun() {
  Run.TimeRate = Run.TargetTimeRate = 1.0f;
  Run.StepsPerFrame = Run.TargetStepsPerFrame = 8;
  Run.StepChangeTime = Now();
  Run.StepCounter = 0;
}

void CallSpawnPlayer() { SpawnPlayer(); }

void StepDelayTimer() {
  if (Run.DelayTimerState == kDelayIdle) {
    Run.DelayTimerTime = Now();
    Run.DelayTimerState = kDelayWaiting;
  } else if (Run.DelayTimerState == kDelayWaiting && MoreThanPast(Run.DelayTimerTime, 500)) {
    Run.DelayTimerState = kDelayDone;
    Run.DelayTimerTime = Now();
  }
}

void RestartLevel() {
  Run.CountdownState = kCountdownWaitPopup;
  ClearPlayback();
  // The aborted run is not kept, and its events must not lead the next one.
  if (Replay.Recording == 1) SaveReplay(0);
  // A restart from the popup's replay button (figure alive or dead) must not
  // be followed by the death restart a second later, mid-countdown.
  Run.RespawnPhase = kRespawnIssued;
  Run.Player.reset();
  Run.Ghost.reset();
  Run.GhostFinished = false;
}

void InstallButtonActions() {
  fe::ButtonHooks.RestartLevel = &RestartLevel;
  fe::ButtonHooks.DeletePackReplays = &DeletePackReplays;
}

void BeginPlay(int n, const LevelData* preset) {
  plat::HidePointer();
  plat::FlushKeys();
  Input.AnimCounter = 9 - (fe::Game.CurrentLevel % 10);
  gPlayState = fe::Game.GameState;
  if (preset) {
    static_cast<LevelData&>(Level) = *preset;
    Level.LevelDirty = 0;
  } else {
    LoadLevel(n);
  }
  SetupLevelObjects(0);
  Popup.PopupState = kPopupClosed;
  Run.StepCounter = 0;
  ResetBullets();
  RestartLevel();
  Run.RespawnPhase = kRespawnArmed;
  const int track = plat::Rand(0, 3);
  if (!Hooks.NoMusic) fe::PlayMusic(track);
  Replay.PlaybackMode = kPlaybackNone;
  plat::SetScale(1, 1);
  Run.HudColour = 0;
  fe::Button::HideAll();
  fe::Button::ShowGroup(fe::Game.GameState);
  OpenPopup(kPopupLevelStart);
  RenderLevelGlow(0, 0);
  plat::SetScale(1, 1);
  CacheLevelPicture();
}

void PlayFrame(bool draw) {
  if (draw) plat::Cls();
  PollMouseClick();
  GlideTimeBase();
  AudioFollowsRate();

  const int steps = Run.StepsPerFrame;
  for (int i = 0; i < steps; ++i) StepGame();

  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  if (draw) DrawGame();

  UpdateCountdown();
  if (draw) DrawCountdownOverlay();
  UpdateReadyGoBanner();
  if (draw) DrawReadyGoBanner();

  Input.EscapeHit = Source().KeyHit(plat::vk::Escape);
  Input.SpaceHit = Source().KeyHit(fe::Settings.KeyBindSlowMo);

  UpdatePopup();
  if (draw) {
    DrawPopup();
    DrawCursor();
  }

  if (Input.EscapeHit) {
    if (Popup.PopupState == kPopupClosed) {
      OpenPopup(kPopupPause);
    } else {
      Popup.PopupState = kPopupFadingOut;
    }
  }
  if (Input.SpaceHit) Run.TargetStepsPerFrame = Run.TargetStepsPerFrame == 1 ? 8 : 1;
  if (Popup.PopupState != kPopupClosed) Run.TargetStepsPerFrame = 8;

  if (draw) plat::Flip();
}

void EndPlay(int n) {
  // Play left with a record's name still in its field (the window closed
  // over the new-record window) keeps the record as Escape would: its
  // replay has already been written.
  CommitPendingRecordName();
  if (!Hooks.NoMusic) fe::SetMusicAttributes(44100, 40);
  // Effects slowed by slow motion would stay slowed in the menus.
  fe::SetEffectsRate(1.0f);
  ClearPlayback();
  if (Replay.Recording == 1) SaveReplay(0);
  Run.Player.reset();
  Run.Ghost.reset();
  ClearCoins();
  ResetParticles();
  DropLevelPicture();
  PollInput(1);
  Run.LastPlayedLevel = n;
}

void PlayLevel(int n) {
  BeginPlay(n, nullptr);
  while (fe::Game.GameState == gPlayState && !plat::AppTerminate()) PlayFrame(true);
  EndPlay(n);
}

void StepGame() {
  Run.StepCounter += 1;
  if (Hooks.BeforePoll) Hooks.BeforePoll(Hooks.ctx);
  PollInput(0);

  UpdateRecording();
  UpdatePlayback();

  UpdateParticles();

  // A figure may be dropped while it is being stepped (a death inside
  // Update, the ghost at its finish): hold it until its step is done.
  if (TavikPtr ghost = Run.Ghost) {
    ghost->ReadReplayInput();
    ghost->UpdateRope();
    ghost->Update();
    ghost->CheckGhostExit();
    if (Run.GhostFinished) Run.Ghost.reset();
  }

  if (TavikPtr player = Run.Player) {
    player->ReadInput();
    player->UpdateRope();
    player->CheckExit();
    player->Update();
    Run.LastAliveTime = Now();
    if (Run.RespawnPhase == kRespawnAwaitingFigure) Run.RespawnPhase = kRespawnArmed;
  } else {
    Run.TargetStepsPerFrame = 8;
    Input.GameInputLocked = 1;
    if (Run.RespawnPhase == kRespawnArmed && MoreThanPast(Run.LastAliveTime, kRespawnDelayMs)) {
      RestartLevel();
      Run.RespawnPhase = kRespawnIssued;
    }
  }

  UpdateBullets();

  if (Run.Player) coins::CheckCollect();
  if (Hooks.AfterStep) Hooks.AfterStep(Hooks.ctx);
}

void FinishLevel() {
  const int level = fe::Game.CurrentLevel;
  // The one test of the built-in pack that stays case-sensitive: a "Base"
  // plays the built-in levels but books no progress.
  if (fe::Game.CurrentPack == fe::kBuiltinPack && level >= 1 && level <= kLevelCount) {
    int* status = fe::Records.LevelStatus;
    if (status[level - 1] == 1) status[level - 1] = 2;
    if (status[level] == 0) status[level] = 1;
  }
  Run.RunTime = plat::MillisDiff(Now(), Run.RunTime);
  SaveReplay(1);
  const int place =
      (level >= 0 && level <= kLevelCount) ? fe::FindRecordPlace(level, Run.RunTime) : -1;
  Popup.FinishTime = Run.RunTime;
  if (place != -1) {
    Popup.RecordPlace = place;
    fe::PlaySoundEffect(fe::kSfxRecordTime);
    OpenPopup(kPopupNewRecord);
  } else {
    OpenPopup(kPopupLevelDone);
  }
}

}  // namespace play
