#include "services/buttons.h"

#include <algorithm>

#include "platform/gfx.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/geometry.h"
#include "services/input.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/sound.h"

namespace fe {

ButtonVars Buttons;
ButtonActionHooks ButtonHooks;

void ResetButtons() { Buttons = ButtonVars(); }

namespace {

struct ButtonRow {
  const char* file;
  float x, y;
  int action, group;
};

// Creation order is list order: the start-up makes rows 1-27, then 28-32.
const ButtonRow kButtonTable[kButtonRows] = {
    {"game.png", 300, 200, 1, 0},        {"editor.png", 300, 240, 2, 0},
    {"options.png", 300, 280, 3, 0},     {"l_replay.png", 270, 400, 6, 5},
    {"l_next.png", 370, 400, 7, 5},      {"l_exit.png", 460, 400, 8, 5},
    {"ghosts.png", 100, 100, 9, 3},      {"times.png", 100, 140, 10, 3},
    {"keys.png", 100, 180, 11, 3},       {"minus.png", 100, 260, 12, 3},
    {"plus.png", 324, 260, 13, 3},       {"minus.png", 100, 340, 14, 3},
    {"plus.png", 324, 340, 15, 3},       {"sfx.png", 100, 220, 16, 3},
    {"music.png", 100, 300, 17, 3},      {"back.png", 690, 525, 18, 3},
    {"upload.png", 450, 490, 19, 3},     {"credits.png", 300, 320, 20, 0},
    {"back.png", 690, 525, 21, 10},      {"back.png", 700, 564, 22, 1},
    {"back.png", 700, 564, 22, 9},       {"l_replay.png", 270, 400, 23, 8},
    {"l_exit.png", 460, 400, 24, 8},     {"fullscreen.png", 100, 382, 25, 3},
    {"directx.png", 100, 430, 26, 3},    {"opengl.png", 250, 430, 27, 3},
    {"exit.png", 300, 400, 5, 0},        {"kc_left.png", 100, 200, 101, 20},
    {"kc_right.png", 100, 240, 102, 20}, {"kc_jump.png", 100, 280, 103, 20},
    {"kc_slow.png", 100, 320, 104, 20},  {"back.png", 690, 525, 105, 20},
};

enum ButtonAction {
  kActGame = 1, kActEditor = 2, kActOptions = 3, kActExit = 5,
  kActReplay = 6, kActNext = 7, kActLevelExit = 8,
  kActGhosts = 9, kActTimes = 10, kActKeys = 11,
  kActSfxMinus = 12, kActSfxPlus = 13, kActMusicMinus = 14, kActMusicPlus = 15,
  kActOptionsBack = 18, kActUpload = 19, kActCredits = 20, kActCreditsBack = 21,
  kActSelectBack = 22, kActReplayAlt = 23, kActExitAlt = 24,
  kActFullScreen = 25, kActDirectX = 26, kActOpenGL = 27,
  kActKeyLeft = 101, kActKeyRight = 102, kActKeyJump = 103, kActKeySlow = 104,
  kActKeysBack = 105,
};

void SetState(int state) { SetGameState(state, KeepValue, KeepValue); }

void ClosePopupAtOnce() { play::Popup.PopupState = play::kPopupClosed; }

void NextLevelAction() {
  play::CommitPendingRecordName();
  const int next = Game.CurrentLevel + 1;
  if (IsBasePack()) {
    if (!NextLevelOpen(Game.CurrentLevel)) return;  // locked: the popup stays open
    SetGameState(kStateNextLevel, next, KeepValue);
  } else {
    SetGameState(kStateNextPackLevel, next, KeepValue);
  }
  ClosePopupAtOnce();
}

void LevelExitAction() {
  play::CommitPendingRecordName();
  if (Game.PreviousGameState == kStateNextLevel)
    SetState(kStateLevelSelect);
  else if (Game.PreviousGameState == kStateNextPackLevel)
    SetState(kStatePackLevelSelect);
  else
    SetGameState(Game.PreviousGameState, Game.PreviousLevel, Game.PreviousStateParam);
  ClosePopupAtOnce();
}

// Colour-cycle entry at the animation counter; the counter is kept in
// 0..255 by its owner, but a stray value must not read outside the table.
void CycleColour(int& r, int& g, int& b) {
  const int i = std::clamp(play::Input.AnimCounter, 0, 255);
  r = Res.ColourCycleR[i];
  g = Res.ColourCycleG[i];
  b = Res.ColourCycleB[i];
}

void PaletteColour(int& r, int& g, int& b) {
  const int i = std::clamp(play::Input.AnimCounter, 0, 19);
  r = Res.BlockPaletteR[i];
  g = Res.BlockPaletteG[i];
  b = Res.BlockPaletteB[i];
}

void SetHoverColour(int r, int g, int b, bool hover) {
  if (hover) {
    r = (r + 255) / 2;
    g = (g + 255) / 2;
    b = (b + 255) / 2;
  }
  plat::SetColor(r, g, b);
}

float OnOff(bool on) { return on ? 1.0f : 0.25f; }

// Options buttons that show a setting draw dimmed while it is off.
float MenuButtonAlpha(int action) {
  switch (action) {
    case kActFullScreen: return OnOff(Settings.FullScreen != 0);
    case kActUpload: return OnOff(!IsBasePack());
    case kActDirectX: return OnOff(Settings.GraphicsDriverChoice == 2);
    case kActOpenGL: return OnOff(Settings.GraphicsDriverChoice == 1);
    default: return 1.0f;
  }
}

}  // namespace

std::shared_ptr<Button> Button::Create(float x, float y, const std::string& file, int action,
                                       int group) {
  auto b = std::make_shared<Button>();
  b->image = LoadResourceImage("GFX/Menu/" + file);
  b->width = static_cast<float>(plat::ImageWidth(b->image));
  b->height = static_cast<float>(plat::ImageHeight(b->image));
  b->x = x;
  b->y = y;
  b->action = action;
  b->group = group;
  b->visible = 0;
  b->hover = 0;
  Buttons.ButtonList.push_back(b);
  return b;
}

void CreateButtons(int firstRow, int lastRow) {
  firstRow = std::max(firstRow, 1);
  lastRow = std::min(lastRow, kButtonRows);
  for (int row = firstRow; row <= lastRow; ++row) {
    const ButtonRow& r = kButtonTable[row - 1];
    ButtonPtr b = Button::Create(r.x, r.y, r.file, r.action, r.group);
    switch (row) {
      case 4: Buttons.BtnReplay = b; break;
      case 5: Buttons.BtnNext = b; break;
      case 6: Buttons.BtnExit = b; break;
      case 22: Buttons.BtnReplayAlt = b; break;
      case 23: Buttons.BtnExitAlt = b; break;
      default: break;
    }
  }
}

bool Button::Hovers(float px, float py) const {
  return play::BoxesOverlap(px, py, px + 1, py + 1, x, y, x + width, y + height) != 0;
}

void Button::UpdateAll() {
  if (Game.GameState == kStatePlay && Buttons.BtnNext && NextLevelOpen(Game.CurrentLevel))
    Buttons.BtnNext->visible = 1;
  play::InputSource& src = play::Source();
  const float px = static_cast<float>(src.MouseX());
  const float py = static_cast<float>(src.MouseY());
  // By index: an action may run code that walks the list again.
  for (size_t i = 0; i < Buttons.ButtonList.size(); ++i) {
    Button& b = *Buttons.ButtonList[i];
    if (b.visible != 1) continue;
    b.hover = b.Hovers(px, py) ? 1 : 0;
    if (play::Input.MouseClick && b.hover) DoAction(b.action);
  }
}

void Button::DoAction(int action) {
  switch (action) {
    case kActGame: SetState(IsBasePack() ? kStateLevelSelect : kStatePackLevelSelect); break;
    case kActEditor: SetState(kStateEditor); break;
    case kActOptions: SetState(kStateOptions); break;
    case kActExit: SetState(kStateQuit); break;
    case kActReplay:
      play::CommitPendingRecordName();
      if (ButtonHooks.RestartLevel) ButtonHooks.RestartLevel();
      ClosePopupAtOnce();
      break;
    case kActNext: NextLevelAction(); break;
    case kActLevelExit: LevelExitAction(); break;
    case kActGhosts:
      if (ButtonHooks.DeletePackReplays) ButtonHooks.DeletePackReplays();
      break;
    case kActTimes: ResetAllRecords(); break;
    case kActKeys: SetState(kStateKeySetup); break;
    case kActSfxMinus: ChangeSoundVolume(-0.1f); break;
    case kActSfxPlus: ChangeSoundVolume(0.1f); break;
    case kActMusicMinus: ChangeMusicVolume(-0.1f); break;
    case kActMusicPlus: ChangeMusicVolume(0.1f); break;
    case kActOptionsBack: SetState(kStateMainMenu); break;
    case kActCredits: SetState(kStateCredits); break;
    case kActCreditsBack: SetState(kStateMainMenu); break;
    case kActSelectBack: SetState(kStateMainMenu); break;
    case kActExitAlt: SetState(kStateLevelSelect); break;
    case kActFullScreen: Settings.FullScreen = Settings.FullScreen == 0 ? 1 : 0; break;
    case kActDirectX: Settings.GraphicsDriverChoice = 2; break;
    case kActOpenGL: Settings.GraphicsDriverChoice = 1; break;
    case kActKeyLeft: Buttons.KeyPromptIndex = 1; break;
    case kActKeyRight: Buttons.KeyPromptIndex = 2; break;
    case kActKeyJump: Buttons.KeyPromptIndex = 3; break;
    case kActKeySlow: Buttons.KeyPromptIndex = 4; break;
    case kActKeysBack: SetState(kStateOptions); break;
    default: break;  // labels (16, 17), the unused replay (23), unknown codes
  }
}

void Button::DrawAll() {
  for (const ButtonPtr& p : Buttons.ButtonList) {
    const Button& b = *p;
    if (b.visible == 0) continue;
    int r, g, bl;
    CycleColour(r, g, bl);
    SetHoverColour(r, g, bl, b.hover != 0);
    plat::SetAlpha(MenuButtonAlpha(b.action));
    plat::DrawImage(b.image, b.x, b.y, 0);
  }
  plat::SetAlpha(1.0f);
  plat::SetColor(255, 255, 255);
}

void Button::Draw() {
  const float alpha = play::Popup.PopupAlpha;
  plat::SetAlpha(visible ? alpha : alpha / 4);
  int r, g, b;
  if (Game.GameState == kStatePlay)
    PaletteColour(r, g, b);
  else
    CycleColour(r, g, b);
  SetHoverColour(r, g, b, hover == 1);
  plat::DrawImage(image, x, y, 0);
  plat::SetAlpha(1.0f);
  plat::SetColor(255, 255, 255);
}

void Button::ShowGroup(int group) {
  for (const ButtonPtr& b : Buttons.ButtonList) b->visible = b->group == group ? 1 : 0;
}

void Button::HideAll() {
  for (const ButtonPtr& b : Buttons.ButtonList) b->visible = 0;
}

}  // namespace fe
