#include "services/input.h"

#include <cmath>

#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "services/config.h"

namespace play {

InputVars Input;

namespace {

class PlatformSource final : public InputSource {
 public:
  int KeyHit(int code) override { return plat::KeyHit(code); }
  bool KeyDown(int code) override { return plat::KeyDown(code); }
  int MouseHit(int button) override { return plat::MouseHit(button); }
  bool MouseDown(int button) override { return plat::MouseDown(button); }
  int MouseX() override { return plat::MouseX(); }
  int MouseY() override { return plat::MouseY(); }
};

PlatformSource gPlatformSource;
InputSource* gSource = &gPlatformSource;

constexpr double kPi = 3.14159265358979323846;

}  // namespace

InputSource& Source() { return *gSource; }
void SetInputSource(InputSource* source) { gSource = source ? source : &gPlatformSource; }

void ResetInput() {
  Input = InputVars{};
  Input.AnimCounterTime = plat::Millisecs();
}

int PollInput(int clear) {
  InputVars& in = Input;
  if (in.GameInputLocked == 0) {
    in.PrevKeyDownLeft = in.KeyDownLeft;
    in.PrevKeyDownRight = in.KeyDownRight;
    in.PrevKeyDownUp = in.KeyDownUp;
    in.PrevMouseDown1 = in.MouseDown1;
    in.PrevMouseDown2 = in.MouseDown2;
    InputSource& src = Source();
    const fe::SettingsVars& keys = fe::Settings;
    in.KeyHitLeft = src.KeyHit(keys.KeyBindLeft);
    in.KeyDownLeft = src.KeyDown(keys.KeyBindLeft);
    in.KeyHitRight = src.KeyHit(keys.KeyBindRight);
    in.KeyDownRight = src.KeyDown(keys.KeyBindRight);
    in.KeyHitUp = src.KeyHit(keys.KeyBindUp);
    in.KeyDownUp = src.KeyDown(keys.KeyBindUp);
    in.KeyHitDown = src.KeyHit(keys.KeyBindDown);
    in.KeyDownDown = src.KeyDown(keys.KeyBindDown);
    in.MouseDown1 = src.MouseDown(1);
    in.MouseClickPrev = in.MouseClick;
    in.MouseDown2 = src.MouseDown(2);
    in.MouseHit2 = src.MouseHit(2);
    in.MouseDown3 = src.MouseDown(3);
    in.MouseHit3 = src.MouseHit(3);
  }
  if (in.GameInputLocked != 0 || clear != 0) {
    in.KeyHitLeft = in.KeyDownLeft = in.KeyHitRight = in.KeyDownRight = 0;
    in.KeyHitUp = in.KeyDownUp = in.KeyHitDown = in.KeyDownDown = 0;
    in.MouseDown1 = in.MouseClickPrev = 0;
    in.MouseDown2 = in.MouseHit2 = in.MouseDown3 = in.MouseHit3 = 0;
  }
  if (clear != 0) in.EscapeHit = in.SpaceHit = 0;
  return 0;
}

int PollMouseClick() {
  Input.MouseClick = Source().MouseHit(1) ? 1 : 0;
  return 0;
}

void TickAnimCounter() {
  const int now = plat::Millisecs();
  if (plat::MillisDiff(now, Input.AnimCounterTime) > 50) {
    Input.AnimCounter += 1;
    Input.AnimCounterTime = now;
    if (Input.AnimCounter >= 256) Input.AnimCounter = 0;
  }
}

int BoxesOverlap(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2,
                 float by2) {
  if (ax1 > bx2 || ax2 < bx1) return 0;
  if (ay1 > by2 || ay2 < by1) return 0;
  return 1;
}

double SinDeg(double degrees) { return std::sin(degrees * (kPi / 180.0)); }
double CosDeg(double degrees) { return std::cos(degrees * (kPi / 180.0)); }

float GetAngleBetween(float x1, float y1, float x2, float y2) {
  const float dx = x1 - x2;
  const float dy = y1 - y2;
  return static_cast<float>(std::atan2(static_cast<double>(dx), static_cast<double>(dy)) *
                                (180.0 / kPi) +
                            180.0);
}

float GetDistance(float x1, float y1, float x2, float y2) {
  const float dx = x1 - x2;
  const float dy = y1 - y2;
  return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

int IsOffScreen(float x, float y) {
  return (x < -100.0f || x > 900.0f || y < -100.0f || y > 700.0f) ? 1 : 0;
}

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

namespace {

// 1-based position of the next delimiter (or piece) after position `after`;
// 0 when there is none.
size_t NextDelimiter(const std::string& text, const std::string& delimiter, int width,
                     size_t after) {
  size_t best = std::string::npos;
  auto consider = [&](const std::string& piece) {
    if (piece.empty()) return;
    const size_t at = text.find(piece, after);  // 0-based search from `after` = 1-based after+1
    if (at != std::string::npos && (best == std::string::npos || at < best)) best = at;
  };
  if (width <= 0) {
    consider(delimiter);
  } else {
    for (size_t i = 0; i < delimiter.size(); i += static_cast<size_t>(width))
      consider(delimiter.substr(i, static_cast<size_t>(width)));
  }
  return best == std::string::npos ? 0 : best + 1;
}

}  // namespace

std::string GetField(const std::string& text, const std::string& delimiter, int n, int width) {
  if (delimiter.empty()) return text;
  size_t prev = 0;  // 1-based position of the previous delimiter, 0 at the start
  for (int field = 1;; ++field) {
    const size_t found = NextDelimiter(text, delimiter, width, prev);
    if (field == n) {
      const size_t from = prev;  // 0-based index of one past the previous position
      if (found == 0) return from <= text.size() ? text.substr(from) : std::string();
      return text.substr(from, found - 1 - from);
    }
    if (found == 0) return std::string();
    prev = found;
  }
}

}  // namespace play
