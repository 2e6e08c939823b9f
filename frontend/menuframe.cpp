#include "frontend/menuframe.h"

#include "platform/gfx.h"
#include "platform/input.h"
#include "play/countdown.h"
#include "play/draw.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/palette.h"
#include "services/resources.h"

namespace fe {

MenuFrame::MenuFrame(bool flushKeys) : entered_(Game.GameState) {
  if (flushKeys) plat::FlushKeys();
}

void MenuFrame::Open() {
  play::Input.GameInputLocked = 0;
  fade_ = 1.0f;
  Button::ShowGroup(entered_);
}

bool MenuFrame::Running() const { return Game.GameState == entered_; }

bool MenuFrame::Begin(bool updateButtons) {
  plat::Cls();
  play::PollMouseClick();
  plat::SetAlpha(1.0f);
  const int x = plat::MouseX();
  const int y = plat::MouseY();
  const bool moved = x != Game.MenuMouseX || y != Game.MenuMouseY;
  Game.MenuMouseX = x;
  Game.MenuMouseY = y;
  play::PollInput(0);
  if (updateButtons) Button::UpdateAll();
  return moved;
}

void MenuFrame::DrawPointer() const {
  plat::SetColor(255, 255, 255);
  plat::DrawImage(Res.ImgCursor, static_cast<float>(Game.MenuMouseX),
                  static_cast<float>(Game.MenuMouseY));
}

void MenuFrame::DrawFade() {
  if (fade_ <= 0.0f) return;
  DrawBlackout(fade_);
  fade_ -= 0.02f;
}

void MenuFrame::ReadKeys() const {
  play::Input.EscapeHit = plat::KeyHit(plat::vk::Escape);
  play::Input.SpaceHit = plat::KeyHit(plat::vk::Space);
}

void MenuFrame::Show() const { plat::Flip(); }

void MenuFrame::Finish(int escapeState) {
  DrawPointer();
  DrawFade();
  ReadKeys();
  if (play::Input.EscapeHit && escapeState != kNoEscape) SetGameState(escapeState, KeepValue, KeepValue);
  Show();
}

void DrawBlackout(float alpha) {
  plat::SetColor(0, 0, 0);
  plat::SetAlpha(alpha);
  plat::DrawRect(0, 0, plat::kScreenW, plat::kScreenH);
  plat::SetAlpha(1.0f);
  plat::SetColor(255, 255, 255);
}

void SetCycleColour(int index) {
  const play::Rgb c = play::LegibleCycleRgb(index);
  plat::SetColor(c.r, c.g, c.b);
}

void TileLevelBack() {
  plat::SetColor(255, 255, 255);
  for (int x = 0; x <= plat::kScreenW; x += 128)
    for (int y = 0; y <= plat::kScreenH; y += 128)
      plat::DrawImage(Res.ImgLevelBack, static_cast<float>(x), static_cast<float>(y));
}

void DrawMenuTitle() {
  SetCycleColour(play::Input.AnimCounter);
  plat::DrawImage(Res.ImgMenuTitle, 20, 20);
}

void LoadMenuBackdrop() { play::LoadLevel(0); }

void DrawMenuBackdrop() {
  play::DrawLevel(1);
  plat::SetAlpha(1.0f);
  const int i = play::Input.AnimCounter & 255;
  plat::SetColor(Res.ColourCycleR[i] / 2, Res.ColourCycleG[i] / 2, Res.ColourCycleB[i] / 2);
  plat::DrawRect(0, 576, 800, 24);
  plat::SetColor(0, 0, 0);
  plat::DrawLine(0, 576, 800, 576);
  play::Run.HudColour = play::Input.AnimCounter;
  play::DrawBottomBar(385, 577, 1);
}

}  // namespace fe
