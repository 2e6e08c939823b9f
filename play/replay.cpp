// Owned by the replays work: placeholders that keep the play loop whole.
#include "play/replay.h"

namespace play {

ReplayVars Replay;

void ResetReplay() { Replay = ReplayVars{}; }
int StartRecording() { Replay.Recording = 1; return 0; }
int UpdateRecording() { return 0; }
int RecordInputChanges() { return 0; }
int SaveReplay(int) { Replay.Recording = 0; return 0; }
int LoadReplay() { Replay.BestReplayTime = NoReplayTime; return 0; }
int UpdatePlayback() { return 0; }
int FetchNextReplayEvent() { return 0; }
int ClearPlayback() { Replay.PlaybackMode = 0; return 0; }
int DeletePackReplays() { return 0; }
bool PlaybackPending() { return false; }

}  // namespace play
