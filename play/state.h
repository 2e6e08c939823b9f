// Start-up's view of play: the shared lists, the empty level grids and the
// clock values that the start-up stamps before the first frame.
#pragma once

namespace play {

struct TimerRefs {
  int& CoinCycleTime;
  int& LastAliveTime;
  int& StepChangeTime;
  int& RunTime;
  int& BestReplayTime;
  int& CountdownTime;
  int& BannerTime;
  int& DelayTimerTime;
};
TimerRefs Timers();

// Empties the coin, bullet, particle and replay lists.
void ResetSharedLists();
// Every tile empty, edge frame 0, corner frame 15, no objects.
void ClearLevelGrids();

}  // namespace play
