#include "play/state.h"

#include "play/bullet.h"
#include "play/coins.h"
#include "play/particle.h"
#include "play/replay.h"
#include "play/runstate.h"
#include "services/level.h"

namespace play {

TimerRefs Timers() {
  return {Run.CoinCycleTime, Run.LastAliveTime, Run.StepChangeTime, Run.RunTime,
          Replay.BestReplayTime, Run.CountdownTime, Run.BannerTime, Run.DelayTimerTime};
}

void ResetSharedLists() {
  ClearCoins();
  ResetBullets();
  ResetParticles();
  ClearPlayback();
}

void ClearLevelGrids() { Level.Clear(); }

}  // namespace play
