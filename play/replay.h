// Recording of runs, the ".doyplay" replay file and the ghost's playback.
//
// A run is recorded as a sparse list of events: one whenever a held input
// changes, and one more than 100 steps after the last otherwise; each carries
// the figure's full state so the ghost is put back on the recorded path.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "play/replayfile.h"

namespace play {

constexpr int NoReplayTime = 1215752191;
// A larger file is taken for a damaged one (over a million events).
constexpr int64_t kMaxReplayFileBytes = int64_t{64} << 20;

using Demo_Playback = ReplayEvent;
struct Demo_Record : ReplayEvent {
  // Appends one event made from the player (nothing without a player).
  static void Capture();
};

enum PlaybackModeValue { kPlaybackNone = 0, kPlaybackLoaded = 1, kPlaybackGhost = 2 };

struct GhostInputVars {
  int left = 0, right = 0, jump = 0, fire = 0, rope = 0;
  int aimX = 0, aimY = 0;
};

// Held left, right, jump, fire and rope, in that order.
struct HeldInputs {
  int v[5] = {};
  bool operator==(const HeldInputs&) const = default;
};

struct ReplayVars {
  std::vector<Demo_Record> ReplayRecordList;
  std::deque<Demo_Playback> ReplayPlaybackList;
  int Recording = 0;
  int LastEventStep = 0;
  int PlaybackMode = kPlaybackNone;
  Demo_Playback PendingEvent;
  int BestReplayTime = NoReplayTime;
  GhostInputVars GhostInput;
  // The held inputs the recorder saw at its last step. Changes are measured
  // against these rather than the snapshot's previous-step values, which
  // stand still while the input is locked.
  HeldInputs LastRecordedInput;
};
extern ReplayVars Replay;
void ResetReplay();

void StartRecording();
void UpdateRecording();
void RecordInputChanges();
void SaveReplay(int keep);
void LoadReplay();
void UpdatePlayback();
void FetchNextReplayEvent();
void ClearPlayback();
void DeletePackReplays();
// True while ghost events remain to be played (the ghost's exit test waits
// for the list to run empty).
bool PlaybackPending();

// The current level's replay file.
std::string CurrentReplayPath();

}  // namespace play
