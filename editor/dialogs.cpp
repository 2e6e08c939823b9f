// The editor's three dialogs: a new pack's name, the pack list and the
// question before a level is cleared.
#include "editor/editor.h"
#include "editor/packs.h"
#include "platform/gfx.h"
#include "services/config.h"
#include "services/font.h"
#include "services/input.h"
#include "services/level.h"
#include "services/resources.h"
#include "services/shapes.h"
#include "services/textfield.h"

namespace editor {

namespace {

constexpr int kInputDelayFrames = 10;
constexpr float kDimAlpha = 0.5f;

// What the new-pack dialog says in red about the last try.
const char* PackResultMessage(int result) {
  switch (result) {
    case kPackExists: return "Already exists!";
    case kPackNameEmpty: return "Please type a name!";
    case kPackNameInvalid: return "Not a valid name!";
    case kPackNameSeparator: return "No slash or colon!";
    case kPackNotCreated: return "Cannot create it!";
    default: return nullptr;
  }
}

void CloseDialogWithDelay() {
  play::Level.EditorDialog = kDialogNone;
  Editor.EditorInputDelay = kInputDelayFrames;
  play::PollInput(1);
}

void HandleClearDialog() {
  if (!play::Input.MouseClickPrev) return;
  play::InputSource& src = play::Source();
  const int x = src.MouseX(), y = src.MouseY();
  if (y <= 350 || y >= 400) return;
  if (x > 250 && x < 350) {
    ClearLevel();
    CloseDialogWithDelay();
  } else if (x > 450 && x < 550) {
    CloseDialogWithDelay();
  }
}

// A half-alpha black panel with a white outline, left white at alpha 1.
void DrawPanel(int x, int y, int w, int h) {
  plat::SetAlpha(kDimAlpha);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w),
                 static_cast<float>(h));
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  play::DrawRectOutline(x, y, w, h);
}

void DrawNewPackDialog() {
  const fe::ResourceSet& r = fe::Res;
  DrawPanel(200, 150, 400, 300);
  r.NewPackNameInput->Draw();
  r.SmallFont->Draw(400, 250, "Please choose a new pack name:", 1);
  if (const char* message = PackResultMessage(Editor.CreatePackResult)) {
    plat::SetColor(255, 0, 0);
    r.BigFont->Draw(400, 200, message, 1);
    plat::SetColor(255, 255, 255);
  }
}

void DrawClearDialog() {
  const fe::ResourceSet& r = fe::Res;
  DrawPanel(175, 150, 450, 300);
  r.SmallFont->Draw(400, 250, "Are you sure you want to clear this level?", 1);
  r.BigFont->Draw(300, 350, "Yes!", 1);
  r.BigFont->Draw(500, 350, "No!", 1);
  // The pointer again, above the dialog.
  plat::DrawImage(r.ImgHookMid, Editor.EditorMouseX, Editor.EditorMouseY);
}

}  // namespace

void HandleEditorDialog() {
  switch (play::Level.EditorDialog) {
    case kDialogNewPack:
      if (Editor.CreatePackResult == kPackCreated) {
        play::Level.EditorDialog = kDialogNone;
        fe::ResetAllRecords();
        fe::SaveRecordsAndStatus();
      }
      fe::Res.NewPackNameInput->Update();
      break;
    case kDialogPackList:
      PickPackFromList(1);
      break;
    case kDialogClear:
      HandleClearDialog();
      break;
    default:
      break;
  }
}

void DrawEditorDialog() {
  const int dialog = play::Level.EditorDialog;
  if (dialog == kDialogNone) return;
  plat::SetAlpha(kDimAlpha);  // the editor behind is dimmed
  plat::SetColor(0, 0, 0);
  plat::DrawRect(0, 0, plat::kScreenW, plat::kScreenH);
  switch (dialog) {
    case kDialogNewPack: DrawNewPackDialog(); break;
    case kDialogPackList: DrawPackList(); break;
    case kDialogClear: DrawClearDialog(); break;
    default: break;
  }
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
}

void ClearLevel() { play::Level.Clear(); }

}  // namespace editor
