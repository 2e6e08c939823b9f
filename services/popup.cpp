#include "services/popup.h"

#include "platform/gfx.h"
#include "platform/input.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/palette.h"
#include "services/resources.h"
#include "services/shapes.h"
#include "services/textfield.h"

namespace play {

PopupVars Popup;

void ResetPopup() { Popup = PopupVars(); }

namespace {

constexpr float kFadeStep = 0.02f;

fe::GInput* NameField() { return fe::Res.RecordNameInput.get(); }

void SetLevelColour() {
  const int m = ((fe::Game.CurrentLevel % 10) + 10) % 10;
  SetPaletteColour(9 - m);
}

void SmallText(int x, int y, const std::string& text, int align) {
  if (fe::Res.SmallFont) fe::Res.SmallFont->Draw(x, y, text, align);
}

// A name is waiting for its record while the new-record window holds a
// field that has not been committed (the field is hidden on commit). This
// also covers the fade-in, before the field gets the focus.
bool RecordPending() {
  const fe::GInput* f = NameField();
  return f && (f->active || (Popup.PopupKind == kPopupNewRecord && f->visible));
}

void UpdatePopupLevelDone() {}
void UpdatePopupPause() {}
void UpdatePopupStart() {}

void UpdatePopupNewRecord() {
  fe::GInput* f = NameField();
  if (!f) return;
  const bool hadFocus = f->active != 0;
  f->Update();
  // A click elsewhere in the window must not take the focus away: the field
  // is the only thing that takes keys here, and without focus the typed
  // name would be lost.
  if (hadFocus && f->visible) f->active = 1;
}

void UpdateKind() {
  switch (Popup.PopupKind) {
    case kPopupLevelDone: UpdatePopupLevelDone(); break;
    case kPopupNewRecord: UpdatePopupNewRecord(); break;
    case kPopupPause: UpdatePopupPause(); break;
    case kPopupLevelStart: UpdatePopupStart(); break;
    default: break;
  }
}

void DrawButtons() {
  const fe::ButtonVars& b = fe::Buttons;
  if (b.BtnReplay) b.BtnReplay->Draw();
  if (b.BtnNext && (!fe::IsBasePack() || fe::NextLevelOpen(fe::Game.CurrentLevel)))
    b.BtnNext->Draw();
  if (b.BtnExit) b.BtnExit->Draw();
}

void DrawRecordRow(int y, int place) {
  SmallText(390, y, fe::Records.ShownRecordNames[place], -1);
  SmallText(410, y, fe::Records.ShownRecordTimeTexts[place], 0);
}

void DrawLevelName() {
  SetLevelColour();
  SmallText(400, 170, Level.LevelName, 1);
}

void DrawPopupLevelDone() {
  plat::DrawImage(fe::Res.ImgNoRecord, 400, 210);
  for (int i = 0; i < 5; ++i) {
    SetPaletteColour(5 - i);
    DrawRecordRow(250 + 16 * i, i);
  }
  SetPaletteColour(0);
  SmallText(390, 346, "Your time", -1);
  SmallText(410, 346, Popup.RunTimeText, 0);
  DrawLevelName();
  DrawButtons();
}

void DrawPopupNewRecord() {
  plat::DrawImage(fe::Res.ImgNewRecord, 400, 210);
  for (int i = 0; i < 4; ++i) {
    const bool moved = i >= Popup.RecordPlace;
    SetPaletteColour(moved ? 4 - i : 5 - i);
    DrawRecordRow(250 + 16 * i + (moved ? 16 : 0), i);
  }
  const int y = 250 + 16 * Popup.RecordPlace;
  plat::SetColor(255, 255, 255);
  SmallText(410, y, Popup.RunTimeText, 0);
  SmallText(390, y, Popup.NewRecordName, -1);
  if (fe::GInput* f = NameField()) f->Draw();
  DrawLevelName();
  DrawButtons();
}

void DrawControlIcon(int x, int allowed) {
  if (allowed)
    plat::SetColor(0, 255, 0);
  else
    plat::SetColor(255, 0, 0);
  plat::DrawImage(fe::Res.ImgControlIconBack, static_cast<float>(x), 220);
}

void DrawPopupStart() {
  for (int i = 0; i < 5; ++i) {
    SetPaletteColour(5 - i);
    DrawRecordRow(280 + 16 * i, i);
  }
  DrawControlIcon(346, Level.AllowMovement);
  DrawControlIcon(382, Level.AllowShooting);
  DrawControlIcon(418, Level.AllowRope);
  plat::SetColor(255, 255, 255);
  plat::DrawImage(fe::Res.ImgToolMove, 346, 220);
  plat::DrawImage(fe::Res.ImgToolShoot, 382, 220);
  plat::DrawImage(fe::Res.ImgToolRope, 418, 220);
  DrawLevelName();
  DrawButtons();
}

void DrawPopupPause() { DrawPopupStart(); }

}  // namespace

int OpenPopup(int kind) {
  fe::BuildRecordTexts(fe::Game.CurrentLevel);
  Popup.PopupAlpha = 0.0f;
  Popup.PopupState = kPopupFadingIn;
  Popup.PopupKind = kind;
  fe::GInput* f = NameField();
  // The field gets the focus once the window has faded in; until then, and
  // in every other window, it must not take keys.
  if (f) f->active = 0;
  if (kind == kPopupNewRecord) {
    plat::FlushKeys();
    if (f) {
      f->visible = 1;
      f->x = 310;
      f->y = 250 + 16 * Popup.RecordPlace;
      f->text = Popup.LastRecordName;
      f->cursorX = static_cast<int>(f->text.size()) * 10;
    }
    Popup.RunTimeText = fe::TimeText(Popup.FinishTime);
    Popup.NewRecordName.clear();
  } else {
    if (f) f->visible = 0;
    if (kind == kPopupLevelDone) Popup.RunTimeText = fe::TimeText(Popup.FinishTime);
  }
  return 0;
}

void UpdatePopup() {
  // Escape on the new-record window keeps what was typed.
  if (Popup.PopupState == kPopupFadingOut && RecordPending()) CommitRecordName();
  switch (Popup.PopupState) {
    case kPopupFadingIn:
      Popup.PopupAlpha += kFadeStep;
      if (Popup.PopupAlpha >= 1.0f) {
        Popup.PopupAlpha = 1.0f;
        Popup.PopupState = kPopupOpen;
        plat::FlushKeys();
        if (Popup.PopupKind == kPopupNewRecord) {
          // A key held through the finish (the run key) would type its
          // repeats into the name.
          plat::FlushTyping();
          if (fe::GInput* f = NameField(); f && f->visible) f->active = 1;
        }
      }
      break;
    case kPopupFadingOut:
      Popup.PopupAlpha -= kFadeStep;
      if (Popup.PopupAlpha <= 0.0f) {
        Popup.PopupAlpha = 0.0f;
        Popup.PopupState = kPopupFadedOut;
      }
      break;
    case kPopupFadedOut:
      Input.GameInputLocked = 0;
      Popup.PopupState = kPopupClosed;
      break;
    default:
      break;
  }
  if (Popup.PopupState >= kPopupFadingIn && Popup.PopupState <= kPopupFadingOut) {
    Input.GameInputLocked = 1;
    fe::Button::UpdateAll();
    UpdateKind();
  }
}

void DrawPopup() {
  if (Popup.PopupState == kPopupClosed) return;
  const float a = Popup.PopupAlpha;
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetColor(0, 0, 0);
  plat::SetAlpha(a / 2);
  plat::DrawRect(0, 0, 800, 600);
  plat::SetAlpha(a * 0.75f);
  plat::DrawRect(250, 150, 300, 300);
  SetLevelColour();
  plat::SetAlpha(a);
  DrawRectOutline(250, 150, 300, 300);
  switch (Popup.PopupKind) {
    case kPopupLevelDone: DrawPopupLevelDone(); break;
    case kPopupNewRecord: DrawPopupNewRecord(); break;
    case kPopupPause: DrawPopupPause(); break;
    case kPopupLevelStart: DrawPopupStart(); break;
    default: break;
  }
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1.0f);
}

void CommitRecordName() {
  fe::GInput* f = NameField();
  if (!f) return;
  Popup.LastRecordName = f->text;
  f->active = 0;
  f->visible = 0;
  // The finished run's time: RunTime is restarted by every new go.
  fe::InsertRecord(fe::Game.CurrentLevel, Popup.FinishTime, f->text);
  Popup.NewRecordName = f->text;
}

void CommitPendingRecordName() {
  if (RecordPending()) CommitRecordName();
}

}  // namespace play
