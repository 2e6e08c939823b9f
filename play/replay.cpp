#include "play/replay.h"

#include <cstdint>

#include "platform/files.h"
#include "platform/packpath.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"

namespace play {

ReplayVars Replay;

void ResetReplay() { Replay = ReplayVars{}; }

namespace {

constexpr int kHeartbeatSteps = 100;

HeldInputs CurrentHeld() {
  const InputVars& in = Input;
  return {{in.KeyDownLeft, in.KeyDownRight, in.KeyDownUp, in.MouseDown1, in.MouseDown2}};
}

// Truncation toward zero that stays defined for any float.
int32_t TruncAim(float f) {
  if (!(f > -2147483648.0f && f < 2147483648.0f)) return f > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<int32_t>(f);
}

int Toggled(int held) { return held == 0 ? 1 : 0; }

}  // namespace

std::string CurrentReplayPath() { return ReplayPath(fe::Game.CurrentPack, fe::Game.CurrentLevel); }

void StartRecording() {
  // A run always starts from nothing, whatever an earlier run left behind.
  Replay.ReplayRecordList.clear();
  Replay.LastRecordedInput = HeldInputs{};
  Replay.Recording = 1;
}

void UpdateRecording() {
  if (Replay.Recording == 1) RecordInputChanges();
}

void RecordInputChanges() {
  const int step = Run.StepCounter;
  const HeldInputs now = CurrentHeld();
  if (now != Replay.LastRecordedInput) {
    Demo_Record::Capture();
    Replay.LastEventStep = step;
  } else if (int64_t{step} > int64_t{Replay.LastEventStep} + kHeartbeatSteps) {
    Replay.LastEventStep = step;
    Demo_Record::Capture();
  }
  Replay.LastRecordedInput = now;
}

void Demo_Record::Capture() {
  const TavikPtr& p = Run.Player;
  if (!p) return;
  const HeldInputs now = CurrentHeld();
  const HeldInputs& last = Replay.LastRecordedInput;
  Demo_Record e;
  e.step = Run.StepCounter;
  e.aimX = TruncAim(p->aimX);
  e.aimY = TruncAim(p->aimY);
  e.x = p->x;
  e.y = p->y;
  e.vx = p->vx;
  e.vy = p->vy;
  e.hookX = p->hookX;
  e.hookY = p->hookY;
  e.hookVX = p->hookVX;
  e.hookVY = p->hookVY;
  int32_t* flags[5] = {&e.changedLeft, &e.changedRight, &e.changedJump, &e.changedFire,
                       &e.changedRope};
  for (int i = 0; i < 5; ++i) *flags[i] = now.v[i] != last.v[i] ? 1 : 0;
  Replay.ReplayRecordList.push_back(e);
}

void SaveReplay(int keep) {
  Replay.Recording = 0;
  if (keep == 1 && Run.RunTime < Replay.BestReplayTime) {
    const std::vector<ReplayEvent> events(Replay.ReplayRecordList.begin(),
                                          Replay.ReplayRecordList.end());
    // Written beside the old file and renamed over it: a failed write keeps
    // the stored best run.
    plat::SaveFileSafely(CurrentReplayPath(), EncodeReplay(Run.RunTime, events));
  }
  Replay.ReplayRecordList.clear();
}

void LoadReplay() {
  Replay.BestReplayTime = NoReplayTime;
  const std::string path = CurrentReplayPath();
  if (plat::FileType(path) != plat::kFileNormal) return;
  std::vector<uint8_t> bytes;
  if (!plat::LoadFileBytes(path, bytes, kMaxReplayFileBytes)) return;
  DecodedReplay file;
  // A damaged file counts as none, so the next finished run replaces it.
  if (!DecodeReplay(bytes.data(), bytes.size(), file)) return;
  Replay.PlaybackMode = kPlaybackLoaded;
  Replay.BestReplayTime = file.runTime;
  Replay.ReplayPlaybackList.assign(file.events.begin(), file.events.end());
  Replay.GhostInput = GhostInputVars{};
  FetchNextReplayEvent();
}

void UpdatePlayback() {
  // Without a closing event the last one can come due after the ghost has
  // been dropped at the exit.
  if (Replay.PlaybackMode != kPlaybackGhost || !Run.Ghost) return;
  const Demo_Playback& e = Replay.PendingEvent;
  if (e.step != Run.StepCounter) return;
  GhostInputVars& g = Replay.GhostInput;
  if (e.changedLeft) g.left = Toggled(g.left);
  if (e.changedRight) g.right = Toggled(g.right);
  if (e.changedJump) g.jump = Toggled(g.jump);
  if (e.changedFire) g.fire = Toggled(g.fire);
  if (e.changedRope) g.rope = Toggled(g.rope);
  g.aimX = e.aimX;
  g.aimY = e.aimY;
  Tavik& ghost = *Run.Ghost;
  ghost.x = e.x;
  ghost.y = e.y;
  ghost.vx = e.vx;
  ghost.vy = e.vy;
  ghost.hookX = e.hookX;
  ghost.hookY = e.hookY;
  ghost.hookVX = e.hookVX;
  ghost.hookVY = e.hookVY;
  FetchNextReplayEvent();
}

void FetchNextReplayEvent() {
  std::deque<Demo_Playback>& list = Replay.ReplayPlaybackList;
  if (list.empty()) {
    Replay.PendingEvent = Demo_Playback{};
    return;
  }
  Replay.PendingEvent = list.front();
  list.pop_front();
}

void ClearPlayback() {
  Replay.PlaybackMode = kPlaybackNone;
  Replay.ReplayPlaybackList.clear();
  Replay.PendingEvent = Demo_Playback{};
}

bool PlaybackPending() { return !Replay.ReplayPlaybackList.empty(); }

void DeletePackReplays() {
  const std::string dir = plat::PackPath(fe::Game.CurrentPack, "/replays/");
  if (dir.empty()) return;
  for (const std::string& name : plat::ReadDir(dir)) {
    if (name.size() < 4 || name.compare(name.size() - 4, 4, "play") != 0) continue;
    const std::string path = dir + name;
    if (plat::FileType(path) == plat::kFileNormal) plat::DeleteFile(path);
  }
}

}  // namespace play
