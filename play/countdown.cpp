// The countdown before each run, the ready/go banner and the status bar.
#include "play/countdown.h"

#include <string>

#include "platform/clock.h"
#include "platform/gfx.h"
#include "play/coins.h"
#include "play/replay.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/font.h"
#include "services/input.h"
#include "services/palette.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/sound.h"

namespace play {

namespace {

constexpr int kPhaseMs = 1000;

int Now() { return plat::Millisecs(); }
bool PhaseOver(int since) { return plat::MillisDiff(Now(), since) > kPhaseMs; }

void StartRun() {
  Run.StepCounter = 0;
  StartRecording();
  SpawnPlayer();
  fe::PlaySoundEffect(fe::kSfxTimerGo);
  LoadReplay();
  if (Replay.PlaybackMode == kPlaybackLoaded) {
    SpawnGhost();
    Replay.PlaybackMode = kPlaybackGhost;
  }
  // Reading the replay file does not count as level time.
  Run.RunTime = Now();
  Run.RespawnPhase = kRespawnAwaitingFigure;
  Run.CountdownState = kCountdownIdle;
  Run.LevelFinished = false;
  Run.GhostFinished = false;
  Input.GameInputLocked = 0;
}

// A picture grows in from half size while its alpha rises.
void GrowIn(float& scale, float& alpha) {
  if (scale < 1.0f) {
    scale += 0.02f;
    alpha += 0.04f;
  } else {
    scale = 1.0f;
    alpha = 1.0f;
  }
}

// Shrinks and fades; true once gone.
bool FadeAway(float& scale, float& alpha) {
  if (alpha > 0.0f) {
    alpha -= 0.08f;
    scale -= 0.04f;
    return false;
  }
  alpha = 0.0f;
  scale = 0.5f;
  return true;
}

}  // namespace

void UpdateCountdown() {
  switch (Run.CountdownState) {
    case kCountdownWaitPopup:
      if (Popup.PopupState == kPopupClosed) {
        Run.CountdownTime = Now();
        Run.CountdownState = kCountdownFirst;
        Run.BannerState = kBannerStart;
        ResetCoins();
      }
      break;
    case kCountdownFirst:
      if (PhaseOver(Run.CountdownTime)) {
        Run.CountdownState = kCountdownSecond;
        Run.CountdownTime = Now();
      }
      break;
    case kCountdownSecond:
      if (PhaseOver(Run.CountdownTime)) {
        Run.CountdownState = kCountdownGo;
        Run.CountdownTime = Now();
      }
      break;
    case kCountdownGo:
      StartRun();
      break;
    default:
      break;
  }
}

void DrawCountdownOverlay() {
  const int s = Run.CountdownState;
  if (s >= kCountdownWaitPopup && s <= kCountdownSecond) {
    plat::SetColor(0, 0, 0);
    plat::SetAlpha(0.5f);
    plat::DrawRect(0, 0, 800, 600);
    plat::SetColor(255, 255, 255);
    plat::SetAlpha(1);
  }
}

void UpdateReadyGoBanner() {
  switch (Run.BannerState) {
    case kBannerStart:
      Run.ReadyAlpha = Run.GoAlpha = 0;
      Run.ReadyScale = Run.GoScale = 0.5f;
      Run.BannerTime = Now();
      Run.BannerState = kBannerReady;
      fe::PlaySoundEffect(fe::kSfxTimerReady);
      break;
    case kBannerReady:
      GrowIn(Run.ReadyScale, Run.ReadyAlpha);
      if (PhaseOver(Run.BannerTime)) {
        Run.BannerState = kBannerGo;
        Run.BannerTime = Now();
        fe::PlaySoundEffect(fe::kSfxTimerReady);
      }
      break;
    case kBannerGo:
      GrowIn(Run.GoScale, Run.GoAlpha);
      FadeAway(Run.ReadyScale, Run.ReadyAlpha);
      if (PhaseOver(Run.BannerTime)) {
        Run.BannerState = kBannerGoFading;
        Run.BannerTime = Now();
      }
      break;
    case kBannerGoFading:
      if (FadeAway(Run.GoScale, Run.GoAlpha)) Run.BannerState = kBannerHidden;
      break;
    default:
      break;
  }
}

void DrawReadyGoBanner() {
  plat::SetColor(255, 255, 255);
  if (Run.BannerState < kBannerReady || Run.BannerState > kBannerGoFading) return;
  plat::SetColor(255, 0, 0);
  plat::SetScale(Run.ReadyScale, Run.ReadyScale);
  plat::SetAlpha(Run.ReadyAlpha);
  plat::DrawImage(fe::Res.ImgReady, 400, 300);
  plat::SetColor(0, 255, 0);
  plat::SetScale(Run.GoScale, Run.GoScale);
  plat::SetAlpha(Run.GoAlpha);
  plat::DrawImage(fe::Res.ImgGo, 400, 300);
  plat::SetScale(1, 1);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
}

void DrawBottomBar(float x, float y, int cycleColours) {
  if (Run.Player) Run.HudColour = Run.Player->colour;
  const int c = Run.HudColour;
  plat::SetColor(255, 255, 255);
  plat::DrawImage(fe::Res.ImgStatusIcon, x, y);
  if (cycleColours == 1) {
    const Rgb k = CycleRgb(c);
    plat::SetColor(k.r, k.g, k.b);
  } else {
    SetPaletteColour(c);
  }
  plat::DrawImage(fe::Res.ImgStatusIconParts, x, y);
  if (Run.Player) {
    UpdateTimeText();
    DrawTimeText();
  }
  plat::SetColor(255, 255, 255);
}

std::string StatusTimeText(int ms) {
  const int minutes = ms / 60000;
  const int seconds = (ms - 60000 * minutes) / 1000;
  const int millis = ms % 1000;
  std::string secs = std::to_string(seconds);
  if (seconds < 10) secs = "0" + secs;
  return std::to_string(minutes) + "." + secs + ":" + std::to_string(millis);
}

void UpdateTimeText() {
  if (!Run.LevelFinished) Run.ShownRunTime = plat::MillisDiff(Now(), Run.RunTime);
  Run.TimeText = "Time: " + StatusTimeText(Run.ShownRunTime);
}

void DrawTimeText() {
  if (fe::Res.SmallFont) fe::Res.SmallFont->Draw(20, 580, Run.TimeText, 0);
}

}  // namespace play
