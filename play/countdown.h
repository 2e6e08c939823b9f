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

int UpdateCountdown();
int DrawCountdownOverlay();
int UpdateReadyGoBanner();
int DrawReadyGoBanner();
int DrawBottomBar(float x, float y, int cycleColours);
int UpdateTimeText();
int DrawTimeText();
// "m.ss:mmm": the running time leaves milliseconds without leading zeros.
std::string StatusTimeText(int ms);

}  // namespace play
