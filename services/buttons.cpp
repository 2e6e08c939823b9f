#include "services/buttons.h"

#include <algorithm>

#include "platform/gfx.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/geometry.h"
#include "services/input.h"
#include "services/palette.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/sound.h"
#include "services/uploadstate.h"

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

enum ButtonAction {
  kActGame = 1, kActEditor = 2, kActOptions = 3, kActExit = 5,
  kActReplay = 6, kActNext = 7, kActLevelExit = 8,
  kActGhosts = 9, kActTimes = 10, kActKeys = 11,
  kActSfxMinus = 12, kActSfxPlus = 13, kActMusicMinus = 14, kActMusicPlus = 15,
  kActSfxLabel = 16, kActMusicLabel = 17,
  kActOptionsBack = 18, kActUpload = 19, kActCredits = 20, kActCreditsBack = 21,
  kActSelectBack = 22, kActReplayAlt = 23, kActExitAlt = 24,
  kActFullScreen = 25, kActDirectX = 26, kActOpenGL = 27,
  kActKeyLeft = 101, kActKeyRight = 102, kActKeyJump = 103, kActKeySlow = 104,
  kActKeysBack = 105,
};

// Creation order is list order: the start-up makes rows 1-27, then 28-32.
// A button is live in the game state of its group.
const ButtonRow kButtonTable[kButtonRows] = {
    {"game.png", 300, 200, kActGame, kStateMainMenu},
    {"editor.png", 300, 240, kActEditor, kStateMainMenu},
    {"options.png", 300, 280, kActOptions, kStateMainMenu},
    {"l_replay.png", 270, 400, kActReplay, kStatePlay},
    {"l_next.png", 370, 400, kActNext, kStatePlay},
    {"l_exit.png", 460, 400, kActLevelExit, kStatePlay},
    {"ghosts.png", 100, 100, kActGhosts, kStateOptions},
    {"times.png", 100, 140, kActTimes, kStateOptions},
    {"keys.png", 100, 180, kActKeys, kStateOptions},
    {"minus.png", 100, 260, kActSfxMinus, kStateOptions},
    {"plus.png", 324, 260, kActSfxPlus, kStateOptions},
    {"minus.png", 100, 340, kActMusicMinus, kStateOptions},
    {"plus.png", 324, 340, kActMusicPlus, kStateOptions},
    {"sfx.png", 100, 220, kActSfxLabel, kStateOptions},
    {"music.png", 100, 300, kActMusicLabel, kStateOptions},
    {"back.png", 690, 525, kActOptionsBack, kStateOptions},
    {"upload.png", 450, 490, kActUpload, kStateOptions},
    {"credits.png", 300, 320, kActCredits, kStateMainMenu},
    {"back.png", 690, 525, kActCreditsBack, kStateCredits},
    {"back.png", 700, 564, kActSelectBack, kStateLevelSelect},
    {"back.png", 700, 564, kActSelectBack, kStatePackLevelSelect},
    {"l_replay.png", 270, 400, kActReplayAlt, kStatePackPreview},
    {"l_exit.png", 460, 400, kActExitAlt, kStatePackPreview},
    {"fullscreen.png", 100, 382, kActFullScreen, kStateOptions},
    {"directx.png", 100, 430, kActDirectX, kStateOptions},
    {"opengl.png", 250, 430, kActOpenGL, kStateOptions},
    {"exit.png", 300, 400, kActExit, kStateMainMenu},
    {"kc_left.png", 100, 200, kActKeyLeft, kStateKeySetup},
    {"kc_right.png", 100, 240, kActKeyRight, kStateKeySetup},
    {"kc_jump.png", 100, 280, kActKeyJump, kStateKeySetup},
    {"kc_slow.png", 100, 320, kActKeySlow, kStateKeySetup},
    {"back.png", 690, 525, kActKeysBack, kStateKeySetup},
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

// Colour-cycle entry at the animation counter, lifted where too dark for
// the labels; the counter is kept in 0..255 by its owner, but a stray value
// must not read outside the table.
void CycleColour(int& r, int& g, int& b) {
  const play::Rgb c = play::LegibleCycleRgb(std::clamp(play::Input.AnimCounter, 0, 255));
  r = c.r;
  g = c.g;
  b = c.b;
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
    case kActUpload: UploadButtonPressed(); break;
    case kActCredits: SetState(kStateCredits); break;
    case kActCreditsBack: SetState(kStateMainMenu); break;
    case kActSelectBack: SetState(kStateMainMenu); break;
    case kActExitAlt: SetState(kStateLevelSelect); break;
    case kActFullScreen: Settings.FullScreen = Settings.FullScreen == 0 ? 1 : 0; break;
    case kActDirectX: Settings.GraphicsDriverChoice = 2; break;
    case kActOpenGL: Settings.GraphicsDriverChoice = 1; break;
    case kActKeyLeft: Buttons.KeyPromptIndex = kKeyPromptLeft; break;
    case kActKeyRight: Buttons.KeyPromptIndex = kKeyPromptRight; break;
    case kActKeyJump: Buttons.KeyPromptIndex = kKeyPromptJump; break;
    case kActKeySlow: Buttons.KeyPromptIndex = kKeyPromptSlowMo; break;
    case kActKeysBack: SetState(kStateOptions); break;
    default: break;  // the labels, the unused replay, unknown codes
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
