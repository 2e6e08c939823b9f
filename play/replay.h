// Recording of runs, the ".doyplay" replay file and the ghost's playback.
// Owned by the replays work; until it lands these do the least the play
// loop needs (no recording, no ghost).
#pragma once

namespace play {

constexpr int NoReplayTime = 1215752191;

struct GhostInputVars {
  int left = 0, right = 0, jump = 0, fire = 0, rope = 0;
  int aimX = 0, aimY = 0;
};

struct ReplayVars {
  int Recording = 0;
  int LastEventStep = 0;
  int PlaybackMode = 0;  // 0 none, 1 replay file read, 2 ghost playing
  int BestReplayTime = NoReplayTime;
  GhostInputVars GhostInput;
};
extern ReplayVars Replay;
void ResetReplay();

int StartRecording();
int UpdateRecording();
int RecordInputChanges();
int SaveReplay(int keep);
int LoadReplay();
int UpdatePlayback();
int FetchNextReplayEvent();
int ClearPlayback();
int DeletePackReplays();
// True while ghost events remain to be played (the ghost's exit test waits
// for the list to run empty).
bool PlaybackPending();

}  // namespace play
