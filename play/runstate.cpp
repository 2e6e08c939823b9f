#include "play/runstate.h"

#include "platform/clock.h"

namespace play {

RunVars Run;

void ResetRun() {
  Run = RunVars{};
  const int now = plat::Millisecs();
  Run.StepChangeTime = now;
  Run.LastAliveTime = now;
  Run.CountdownTime = now;
  Run.BannerTime = now;
  Run.RunTime = now;
  Run.CoinCycleTime = now;
}

}  // namespace play
