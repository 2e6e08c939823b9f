// The rope hook: throw, flight, sticking, the hanging spring and the pull
// back to the hand. The same code serves the player and the ghost; only the
// player makes sounds.
#include "play/rope.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx.h"
#include "play/tavik.h"
#include "services/geometry.h"
#include "services/palette.h"
#include "services/resources.h"
#include "services/sound.h"

namespace play {

namespace {

void FigureSound(const Tavik& t, int id) {
  if (!t.IsGhost()) fe::PlaySoundEffect(id);
}

float ClampSpeed(float v) { return std::clamp(v, -kRopeMaxSpeed, kRopeMaxSpeed); }

// Outside the window; a hook with a non-finite position counts as outside,
// so it is pulled back instead of flying for ever.
bool HookOutsideWindow(float hx, float hy) {
  if (!std::isfinite(hx) || !std::isfinite(hy)) return true;
  return hx < 0 || hx > plat::kScreenW || hy < 0 || hy > plat::kScreenH;
}

}  // namespace

void Tavik::UpdateRope() {
  onRope = 0;
  switch (ropeState) {
    case kRopeIdle:
      hookX = x;
      hookY = y - 8;
      break;
    case kRopeFlying:
      hookX += hookVX;
      hookY += hookVY;
      hookVY += hookGravity;
      if (hookVY > hookMaxFall) hookVY = hookMaxFall;
      // Every touched cell acts, so the last one in scan order decides.
      ForEachHookContact(Level, hookX, hookY, [&](int contact) {
        if (contact == kHookSticks) {
          ropeState = kRopeAttached;
          FigureSound(*this, fe::kSfxRopeConnect);
        } else {
          ropeState = kRopeRetracting;
          FigureSound(*this, fe::kSfxRopeIn);
        }
      });
      break;
    case kRopeAttached:
      onRope = 1;
      break;
    case kRopeRetracting:
      // A hook lost to a non-finite position can never reach the hand.
      if (!std::isfinite(hookX) || !std::isfinite(hookY)) {
        hookX = x;
        hookY = y - 8;
      }
      PullHookBack(kRopePullBack);
      if (BoxesOverlap(x - 2, y - 12, x + 2, y - 4, hookX - 4, hookY - 4, hookX + 4, hookY + 4))
        ropeState = kRopeIdle;
      break;
  }

  if (ropeState == kRopeFlying || ropeState == kRopeAttached) {
    // Both reasons act, each with its own sound.
    if (!inRope) {
      ropeState = kRopeRetracting;
      FigureSound(*this, fe::kSfxRopeIn);
    }
    if (HookOutsideWindow(hookX, hookY)) {
      ropeState = kRopeRetracting;
      FigureSound(*this, fe::kSfxRopeIn);
    }
  }

  if (ropeState == kRopeIdle && inRope) {
    ropeState = kRopeFlying;
    const float a = GetAngleBetween(hookX, hookY, aimX, aimY);
    hookVX = static_cast<float>(SinDeg(a));
    hookVY = static_cast<float>(CosDeg(a));
    FigureSound(*this, fe::kSfxRopeOut);
  }
}

void Tavik::HangOnRope() { RopeSpring(); }

void Tavik::RopeSpring() {
  vx = vx * kRopeDamping + (hookX - x) * kRopeStiffness;
  vy = vy * kRopeDamping + (hookY + kRopeTargetDrop - y) * kRopeStiffness;
  vx = ClampSpeed(vx);
  vy = ClampSpeed(vy);
}

void Tavik::RopeSpringLoose() {
  if (x < hookX - 2 || x > hookX + 2) {
    vx += (hookX - x) / 40000;
    settleX = 0;
  } else if (settleX == 0) {
    vx = vx * 0.95f;
    settleX = 1;
  }
  if (y < hookY + 20 || y > hookY + 30) {
    vy += (hookY - y) / 40000;
    settleY = 0;
  } else if (settleY == 0) {
    vy = vy * 0.95f;
    settleY = 1;
  }
  vx = ClampSpeed(vx);
  vy = ClampSpeed(vy);
}

void Tavik::PullHookBack(float speed) {
  hookX += (x - hookX) / speed;
  hookY += (y - 8 - hookY) / speed;
}

void Tavik::DrawRope() {
  if (ropeState < kRopeFlying || ropeState > kRopeRetracting) return;
  const Rgb c = PaletteRgb(colour);
  // The line in the colour lightened half-way to white, the hook in it.
  plat::SetColor((c.r + 255) / 2, (c.g + 255) / 2, (c.b + 255) / 2);
  plat::DrawLine(x, y - 10, hookX, hookY);
  plat::SetColor(c.r, c.g, c.b);
  plat::DrawImage(fe::Res.ImgRopeHook, hookX, hookY);
  plat::SetColor(255, 255, 255);
}

}  // namespace play
