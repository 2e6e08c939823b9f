// The rope hook of the figure. Its state lives in Tavik's fields and its
// operations are Tavik's members (play/tavik.h); this header holds the
// hook's fixed numbers and the cell test of the flying hook.
#pragma once
#include "play/cellscan.h"
#include "services/level.h"

namespace play {

// The damped spring that holds a hanging figure below the hook.
constexpr float kRopeDamping = 0.999f;
constexpr float kRopeStiffness = 0.00004f;
// The spring pulls toward this point below the hook.
constexpr float kRopeTargetDrop = 20.0f;
// Neither spring ever gives a speed above this, in either axis.
constexpr float kRopeMaxSpeed = 0.6f;
// A retracting hook covers 1/kRopePullBack of the distance to the hand per step.
constexpr float kRopePullBack = 10.0f;

enum HookContact { kHookMissed = 0, kHookSticks = 1, kHookThrownBack = 2 };

// Blocks, changers and neutral blocks hold the hook; no-rope zones throw it back.
inline int HookContactOf(int code) {
  if (IsSolidTile(code)) return kHookSticks;
  if (code == kTileNoRope) return kHookThrownBack;
  return kHookMissed;
}

// Calls f(contact) for every cell the hook at (hx, hy) touches that holds or
// throws it back, in scan order. A non-finite position touches nothing.
template <class F>
void ForEachHookContact(const LevelData& level, float hx, float hy, F&& f) {
  constexpr float r = 0.25f;  // half the hook's box
  ForEachCellMeetingBox(level, hx - r, hy - r, hx + r, hy + r, [&](int, int, int code) {
    const int contact = HookContactOf(code);
    if (contact != kHookMissed) f(contact);
  });
}

}  // namespace play
