#include "services/shapes.h"

#include "platform/gfx.h"

namespace play {

void DrawRectOutline(int x, int y, int w, int h) {
  const float l = static_cast<float>(x), t = static_cast<float>(y);
  const float r = static_cast<float>(x + w - 1), b = static_cast<float>(y + h - 1);
  plat::DrawLine(l, t, r, t, true);
  plat::DrawLine(l, t, l, b, true);
  plat::DrawLine(r, t, r, b, true);
  plat::DrawLine(l, b, r, b, true);
}

void DrawCenteredOval(float x, float y, float w, float h) {
  plat::SetBlend(plat::kMaskBlend);
  plat::DrawOval(x - w / 2, y - h / 2, w, h);
  plat::SetBlend(plat::kAlphaBlend);
}

}  // namespace play
