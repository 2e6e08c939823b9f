// The countdown before each run, the ready/go banner and the status bar
// with the running time.
#pragma once
#include <string>

namespace play {

enum CountdownStateValue {
  kCountdownIdle = 0,
  kCountdownWaitPopup = 1,
  kCountdownFirst = 2,
  kCountdownSecond = 3,
  kCountdownGo = 4,
};

enum BannerStateValue {
  kBannerHidden = 0,
  kBannerStart = 1,
  kBannerReady = 2,     // ready shown
  kBannerGo = 3,        // go grows while ready fades
  kBannerGoFading = 4,
};

void UpdateCountdown();
void DrawCountdownOverlay();
void UpdateReadyGoBanner();
void DrawReadyGoBanner();
void DrawBottomBar(float x, float y, int cycleColours);
void UpdateTimeText();
void DrawTimeText();
// "m.ss:mmm": the running time leaves milliseconds without leading zeros.
std::string StatusTimeText(int ms);

}  // namespace play
