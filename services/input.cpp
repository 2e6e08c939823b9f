#include "services/input.h"

#include "platform/clock.h"
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

}  // namespace play
