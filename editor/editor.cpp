// The editor's frame loop, its map tools and the toolbar.
#include "editor/editor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "editor/autotile.h"
#include "editor/mappicture.h"
#include "editor/packs.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "play/draw.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/palette.h"
#include "services/resources.h"
#include "services/shapes.h"
#include "services/textfield.h"

namespace editor {

EditorVars Editor;

void ResetEditor() { Editor = EditorVars{}; }

namespace {

using R = fe::ResourceSet;

constexpr int kInputDelayFrames = 10;
// About three seconds at 60 frames a second.
constexpr int kSaveFailedShowFrames = 180;
constexpr int kLastLevel = play::kLevelCount;

constexpr int kToolbarTop = 480;
constexpr int kMapBottomWithToolbar = 479;
constexpr int kMapBottom = 575;
constexpr int kShowToolbarBelow = 576;
constexpr int kButtonStep = 36;
constexpr int kPaletteY = 488;
constexpr int kToolRowY = 528;
constexpr int kHelpButtonX = 728;
constexpr int kFlagFirstX = 656;

int gEnteredState = 0;
int gEnteredPrevious = 0;  // the state before it, put back when a close is refused

// Icons of the tool row by column; the level number has none.
plat::ImagePtr R::*const kToolIcons[kToolRowButtons] = {
    &R::ImgToolDraw,        &R::ImgToolFill,       &R::ImgToolPlayer,   &R::ImgToolEnd,
    &R::ImgToolLeft,        nullptr,               &R::ImgToolRight,    &R::ImgToolNewPack,
    &R::ImgToolLoadPack,    &R::ImgToolPlay,       &R::ImgToolClear,    &R::ImgToolDrawChanger,
    &R::ImgToolFillChanger, &R::ImgToolDrawZone,   &R::ImgToolFillZone, &R::ImgToolCoin,
    &R::ImgToolNeutral,     &R::ImgToolNoRope,     &R::ImgToolMove,     &R::ImgToolShoot,
    &R::ImgToolRope,
};

play::LevelVars& L() { return play::Level; }

bool Click() { return play::Input.MouseClickPrev != 0; }

// A button pressed and let go between two frames is never seen held: the
// tools that act while it is held also act on such a click.
bool LeftPressed() { return play::Input.MouseDown1 != 0 || Click(); }
bool RightPressed() { return play::Input.MouseDown2 != 0 || play::Input.MouseHit2 != 0; }

// Column of a 36-pixel button row that starts at x 8 (0 left of it).
int ButtonColumn(float x) {
  return static_cast<int>((x - std::fmod(x - 8.0f, static_cast<float>(kButtonStep))) / kButtonStep);
}

// The tile code a drawing or filling tool writes with colour c.
int ToolTileCode(int tool, int c) {
  switch (tool) {
    case kToolDraw:
    case kToolFill:
      return play::TileCode(play::TileKind::Block, c);
    case kToolDrawChanger:
    case kToolFillChanger:
      return play::TileCode(play::TileKind::Changer, c);
    case kToolDrawZone:
    case kToolFillZone:
      return play::TileCode(play::TileKind::Zone, c);
    case kToolNeutral:
      return play::kTileNeutral;
    case kToolNoRope:
      return play::kTileNoRope;
    default:
      return play::kTileEmpty;
  }
}

bool IsFillTool(int tool) {
  return tool == kToolFill || tool == kToolFillChanger || tool == kToolFillZone;
}

void RetileAround(int x, int y) {
  play::LevelVars& l = L();
  AutoTileRect(l.TileGrid, l.EdgeFrameGrid, l.CornerFrameGrid, x - 1, y - 1, x + 1, y + 1);
}

void SetCell(int x, int y, int code) {
  L().TileGrid[x][y] = code;
  RetileAround(x, y);
  L().LevelDirty = 1;
}

// Removes every object of this kind, then puts one in the cell.
void PlaceSingleObject(int code) {
  if (!Click()) return;
  play::LevelVars& l = L();
  for (auto& column : l.ObjectGrid)
    for (int& cell : column)
      if (cell == code) cell = play::kObjNone;
  l.ObjectGrid[Editor.EditorCellX][Editor.EditorCellY] = code;
  l.LevelDirty = 1;
}

void ReadPointer() {
  EditorVars& e = Editor;
  play::InputSource& src = play::Source();
  e.EditorMouseX = static_cast<float>(src.MouseX());
  e.EditorMouseY = static_cast<float>(src.MouseY());
  fe::Game.MenuMouseX = static_cast<int>(e.EditorMouseX);
  fe::Game.MenuMouseY = static_cast<int>(e.EditorMouseY);
  e.EditorSnapX = e.EditorMouseX - std::fmod(e.EditorMouseX, static_cast<float>(play::TileSize));
  e.EditorSnapY = e.EditorMouseY - std::fmod(e.EditorMouseY, static_cast<float>(play::TileSize));
}

// The built-in pack is never edited: while it is current, the pack list
// (or, with no other pack, the new-pack dialog) stays open.
void ForceDialogOnBuiltInPack() {
  if (!fe::IsBasePack()) return;
  if (!Packs.PackNames.empty()) {
    L().EditorDialog = kDialogPackList;
  } else {
    L().EditorDialog = kDialogNewPack;
    fe::Res.NewPackNameInput->active = 1;
  }
}

// Leaving drops a level that cannot be saved: the first Escape or close
// request then stays, the toolbar up with its message; one more while it
// shows leaves anyway, so the maker is never held in the editor.
bool MayLeave() {
  EditorVars& e = Editor;
  if (L().EditorDialog != kDialogNone || e.EscapeRefused != 0 || SaveLevelInHand()) return true;
  e.EscapeRefused = 1;
  e.ToolbarVisible = 1;
  return false;
}

void StepAndLoad(int delta) {
  if (!SaveLevelInHand()) return;
  StepEditorLevel(delta);
  play::LoadLevel(Editor.EditorLevel);
  FieldsFromLevel(true);
}

// Nothing is saved while a dialog is open, and a pack dialog can lead to
// another pack: the level in hand, with the records its save reset, goes to
// disk first.
void SaveBeforeDialog() {
  SaveLevelInHand();
  fe::SaveRecordsAndStatus();
}

void ToolRowClick(int k) {
  EditorVars& e = Editor;
  play::LevelVars& l = L();
  switch (k) {
    case kToolLeft: StepAndLoad(-1); break;
    case kToolRight: StepAndLoad(1); break;
    case kToolNewPack:
      SaveBeforeDialog();
      l.EditorDialog = kDialogNewPack;
      e.CreatePackResult = kPackNotTried;
      fe::Res.NewPackNameInput->active = 1;
      break;
    case kToolLoadPack:
      SaveBeforeDialog();
      ScanPacks(1);
      l.EditorDialog = kDialogPackList;
      break;
    case kToolPlay: PlayTestLevel(); break;
    case kToolClear:
      SaveBeforeDialog();
      l.EditorDialog = kDialogClear;
      break;
    case kToolMove: l.AllowMovement = l.AllowMovement == 0 ? 1 : 0; break;
    case kToolShoot: l.AllowShooting = l.AllowShooting == 0 ? 1 : 0; break;
    case kToolRope: l.AllowRope = l.AllowRope == 0 ? 1 : 0; break;
    case kToolLevelNumber:
      break;
    default:
      if (k >= 0 && k < kToolRowButtons) e.EditorTool = k;  // the map tools
      break;
  }
}

void DrawIcon(const plat::ImagePtr& img, int x, int y) {
  plat::DrawImage(img, static_cast<float>(x), static_cast<float>(y));
}

void DrawToolbar() {
  const EditorVars& e = Editor;
  const fe::ResourceSet& r = fe::Res;
  const play::LevelVars& l = L();
  plat::SetAlpha(0.5f);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(0, kToolbarTop, plat::kScreenW, plat::kScreenH - kToolbarTop);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
  plat::DrawLine(0, kToolbarTop, plat::kScreenW, kToolbarTop);
  play::DrawRectOutline(6 + kButtonStep * e.EditorColour, kPaletteY - 2, 36, 36);
  for (int i = 0; i < play::kPaletteColours; ++i)
    plat::DrawImage(r.ImgEditorPalette, static_cast<float>(8 + kButtonStep * i), kPaletteY, i);
  play::DrawRectOutline(6 + kButtonStep * e.EditorTool, kToolRowY - 2, 36, 36);
  for (int k = 0; k < kToolMove; ++k) DrawIcon(r.ImgControlIconBack, 8 + kButtonStep * k, kToolRowY);
  DrawIcon(r.ImgControlIconBack, kHelpButtonX, kPaletteY);
  const int flags[3] = {l.AllowMovement, l.AllowShooting, l.AllowRope};
  for (int f = 0; f < 3; ++f) {
    if (flags[f] != 0)
      plat::SetColor(0, 255, 0);
    else
      plat::SetColor(255, 0, 0);
    DrawIcon(r.ImgControlIconBack, kFlagFirstX + kButtonStep * f, kToolRowY);
  }
  plat::SetColor(255, 255, 255);
  for (int k = 0; k < kToolRowButtons; ++k)
    if (kToolIcons[k]) DrawIcon(r.*kToolIcons[k], 8 + kButtonStep * k, kToolRowY);
  // The level number is white lettering: on a dark plate, not the light one.
  plat::SetColor(40, 44, 72);
  DrawIcon(r.ImgControlIconBack, 8 + kButtonStep * kToolLevelNumber, kToolRowY);
  plat::SetColor(255, 255, 255);
  r.SmallFont->Draw(190, 536, std::to_string(e.EditorLevel), 0);
  DrawIcon(r.ImgToolHelp, kHelpButtonX, kPaletteY);
  r.SmallFont->Draw(10, 568, "Name: ", 0);
  r.SmallFont->Draw(290, 568, "Author: ", 0);
  r.LevelNameInput->Draw();
  r.LevelAuthorInput->Draw();
  if (e.SaveFailedFrames > 0) {
    plat::SetColor(255, 0, 0);
    r.SmallFont->Draw(590, 568, "Level not saved!", 0);
    plat::SetColor(255, 255, 255);
  }
}

}  // namespace

// ------------------------------------------------------------ editor loop

void EnterEditor() {
  EditorVars& e = Editor;
  plat::FlushKeys();
  gEnteredState = fe::Game.GameState;
  gEnteredPrevious = fe::Game.PreviousGameState;
  play::PollInput(1);
  e.EditorInputDelay = kInputDelayFrames;
  play::Input.GameInputLocked = 0;
  L().EditorDialog = kDialogNone;
  // A result left from an earlier visit would close a forced new-pack dialog
  // at once and reset the records of the pack that is current then.
  e.CreatePackResult = kPackNotTried;
  e.EscapeRefused = 0;
  ScanPacks(1);
  play::LoadLevel(e.EditorLevel);
  FieldsFromLevel(false);
  ResetMapPicture();
}

void EditorFrame() {
  EditorVars& e = Editor;
  plat::Cls();
  ReadPointer();
  if (e.EditorInputDelay < 1) {
    play::PollMouseClick();
    play::PollInput(0);
  } else {
    e.EditorInputDelay -= 1;
    // Clicks made meanwhile are taken and dropped: the tools act on clicks
    // latched since the last frame, not on ones kept from before the delay.
    play::PollMouseClick();
    play::PollInput(1);
    play::Input.MouseClick = 0;
  }
  ForceDialogOnBuiltInPack();
  if (L().EditorDialog != kDialogNone)
    HandleEditorDialog();
  else
    HandleEditorInput();
  DrawEditor();
  DrawEditorDialog();
  play::Input.EscapeHit = plat::KeyHit(plat::vk::Escape);
  play::Input.SpaceHit = plat::KeyHit(plat::vk::Space);
  if (play::Input.EscapeHit && MayLeave()) fe::SetGameState(fe::kStateMainMenu, 0, 0);
  if (e.SaveFailedFrames > 0 && --e.SaveFailedFrames == 0) e.EscapeRefused = 0;
  plat::Flip();
  // The close handler has set the quit state; a refused close takes it back.
  if (plat::AppTerminate() && !MayLeave()) {
    plat::RefuseClose();
    fe::Game.GameState = gEnteredState;
    fe::Game.PreviousGameState = gEnteredPrevious;
  }
}

void LeaveEditor() { play::SaveLevel(Editor.EditorLevel); }

void RunEditor() {
  EnterEditor();
  while (fe::Game.GameState == gEnteredState && !plat::AppTerminate()) EditorFrame();
  LeaveEditor();
}

void EditorNoOp() {}

void InstallTextFieldActions() {
  fe::FieldHooks.NewPackEntered = [](const std::string& name) {
    Editor.CreatePackResult = CreatePack(name);
  };
  fe::FieldHooks.Updated = [](const fe::GInput& field) {
    if (field.Contains(Editor.EditorMouseX, Editor.EditorMouseY))
      Editor.EditorHelpTopic = kHelpTopicTextField;
  };
}

void FieldsFromLevel(bool cursorAtEnd) {
  fe::GInput* fields[2] = {fe::Res.LevelNameInput.get(), fe::Res.LevelAuthorInput.get()};
  const std::string* texts[2] = {&L().LevelName, &L().LevelAuthor};
  for (int i = 0; i < 2; ++i) {
    fields[i]->text = *texts[i];
    fields[i]->cursorX = cursorAtEnd ? 10 * static_cast<int>(texts[i]->size()) : 0;
  }
}

bool SaveLevelInHand() {
  if (play::SaveLevel(Editor.EditorLevel) != 0) {
    Editor.SaveFailedFrames = kSaveFailedShowFrames;
    return false;
  }
  Editor.SaveFailedFrames = 0;
  Editor.EscapeRefused = 0;
  return true;
}

void StepEditorLevel(int delta) {
  int& level = Editor.EditorLevel;
  level += delta;
  if (level < 0) level = 0;
  if (level > kLastLevel) level = kLastLevel;
}

void PlayTestLevel() {
  // Play loads the level from disk: a level that did not reach it would be
  // replaced by the old one, here and on the way back.
  if (!SaveLevelInHand()) return;
  fe::SetGameState(fe::kStatePlay, Editor.EditorLevel, fe::KeepValue);
  fe::BuildRecordTexts(Editor.EditorLevel);
  play::Input.GameInputLocked = 0;
}

// ------------------------------------------------------------ input

int IsMouseOverMap() {
  const EditorVars& e = Editor;
  const float bottom = e.ToolbarVisible == 1 ? kMapBottomWithToolbar : kMapBottom;
  // The lower bounds keep every grid write on the map whatever the pointer
  // reports.
  return e.EditorMouseX >= 0 && e.EditorMouseY >= 0 && e.EditorMouseX <= plat::kScreenW - 1 &&
                 e.EditorMouseY <= bottom
             ? 1
             : 0;
}

int IsMouseOverPalette() {
  const EditorVars& e = Editor;
  return e.EditorMouseY >= 480 && e.EditorMouseY <= 524 && e.EditorMouseX >= 0 &&
                 e.EditorMouseX <= 720
             ? 1
             : 0;
}

int IsMouseOverToolRow() {
  const EditorVars& e = Editor;
  return e.EditorMouseY >= 524 && e.EditorMouseY <= 564 && e.EditorMouseX >= 0 &&
                 e.EditorMouseX <= plat::kScreenW - 1
             ? 1
             : 0;
}

void UpdateToolbarVisibility() {
  EditorVars& e = Editor;
  // The toolbar carries the message that the level was not saved: it stays
  // while that shows.
  if (e.ToolbarVisible == 1 && e.EditorMouseY < kToolbarTop && e.SaveFailedFrames == 0)
    e.ToolbarVisible = 0;
  if (e.EditorMouseY > kShowToolbarBelow) e.ToolbarVisible = 1;
}

void HandleEditorInput() {
  EditorVars& e = Editor;
  const float x = e.EditorMouseX, y = e.EditorMouseY;
  UpdateToolbarVisibility();
  EditorNoOp();
  if (IsMouseOverMap()) {
    e.EditorCellX = static_cast<int>(e.EditorSnapX / play::TileSize);
    e.EditorCellY = static_cast<int>(e.EditorSnapY / play::TileSize);
    switch (e.EditorTool) {
      case kToolDraw:
      case kToolDrawChanger:
      case kToolDrawZone:
      case kToolNeutral:
      case kToolNoRope:
        ApplyDrawTool();
        break;
      case kToolFill:
      case kToolFillChanger:
      case kToolFillZone:
        ApplyFillTool();
        break;
      case kToolPlayer: PlacePlayerStart(); break;
      case kToolEnd: PlacePlayerEnd(); break;
      case kToolCoin: ApplyCoinTool(); break;
      default: break;
    }
  }
  fe::GInput& name = *fe::Res.LevelNameInput;
  fe::GInput& author = *fe::Res.LevelAuthorInput;
  if (e.ToolbarVisible != 1) {
    name.active = 0;
    author.active = 0;
    e.EditorHelpVisible = 0;
    return;
  }
  if (IsMouseOverPalette()) {
    e.EditorHelpTopic = kHelpTopicPalette;
    if (Click()) e.EditorColour = ButtonColumn(x);
  }
  if (x > kHelpButtonX && x < kHelpButtonX + 32 && y > kPaletteY && y < kPaletteY + 32 && Click()) {
    e.EditorHelpVisible = e.EditorHelpVisible == 0 ? 1 : 0;
    e.EditorHelpTopic = kHelpTopicHelpButton;
  }
  if (IsMouseOverToolRow()) {
    const int k = ButtonColumn(x);
    e.EditorHelpTopic = k + 1;
    if (Click()) ToolRowClick(k);
  }
  name.Update();
  author.Update();
}

// ------------------------------------------------------------ map tools

void ApplyDrawTool() {
  const EditorVars& e = Editor;
  const int x = e.EditorCellX, y = e.EditorCellY;
  const int* cell = &L().TileGrid[x][y];
  // Against the bare colour number for every drawing tool, as the game
  // always did: a changer over a block of the selected colour draws nothing.
  if (LeftPressed() && *cell != e.EditorColour) SetCell(x, y, ToolTileCode(e.EditorTool, e.EditorColour));
  if (RightPressed() && *cell != play::kTileEmpty) SetCell(x, y, play::kTileEmpty);
}

void ApplyFillTool() {
  EditorVars& e = Editor;
  switch (e.FillState) {
    case kFillIdle:
      if (Click()) {
        e.FillStartX = e.EditorCellX;
        e.FillStartY = e.EditorCellY;
        e.FillState = kFillFirstCorner;
      }
      break;
    case kFillFirstCorner:
      if (Click()) {
        e.FillEndX = e.EditorCellX;
        e.FillEndY = e.EditorCellY;
        e.FillState = kFillBothCorners;
      }
      break;
    case kFillBothCorners: {
      play::LevelVars& l = L();
      const int code = ToolTileCode(e.EditorTool, e.EditorColour);
      for (int x = std::min(e.FillStartX, e.FillEndX); x <= std::max(e.FillStartX, e.FillEndX); ++x)
        for (int y = std::min(e.FillStartY, e.FillEndY); y <= std::max(e.FillStartY, e.FillEndY); ++y)
          l.TileGrid[x][y] = code;
      AutoTileAll(l.TileGrid, l.EdgeFrameGrid, l.CornerFrameGrid);
      e.FillState = kFillIdle;
      l.LevelDirty = 1;
      break;
    }
    default:
      e.FillState = kFillIdle;
      break;
  }
  if (play::Input.MouseHit2) e.FillState = kFillIdle;
}

void ApplyCoinTool() {
  int& object = L().ObjectGrid[Editor.EditorCellX][Editor.EditorCellY];
  if (LeftPressed() && object != play::kObjCoin) {
    object = play::kObjCoin;
    L().LevelDirty = 1;
  }
  if (RightPressed() && object != play::kObjNone) {
    object = play::kObjNone;
    L().LevelDirty = 1;
  }
}

void PlacePlayerStart() {
  PlaceSingleObject(play::kObjStart);
  // A right click on the start takes it away, as the help page says.
  int& object = L().ObjectGrid[Editor.EditorCellX][Editor.EditorCellY];
  if (play::Input.MouseHit2 && object == play::kObjStart) {
    object = play::kObjNone;
    L().LevelDirty = 1;
  }
}
void PlacePlayerEnd() { PlaceSingleObject(play::kObjExit); }

// ------------------------------------------------------------ drawing

void DrawFillPreview() {
  const EditorVars& e = Editor;
  const fe::ResourceSet& r = fe::Res;
  plat::ImagePtr strip;
  switch (e.EditorTool) {
    case kToolFill: strip = r.ImgBlocksPlain; break;
    case kToolFillChanger: strip = r.ImgBlocksChanger; break;
    case kToolFillZone: strip = r.ImgBlocksZone; break;
    default: return;
  }
  plat::SetAlpha(0.5f);
  play::SetPaletteColour(e.EditorColour);
  for (int x = std::min(e.FillStartX, e.EditorCellX); x <= std::max(e.FillStartX, e.EditorCellX); ++x)
    for (int y = std::min(e.FillStartY, e.EditorCellY); y <= std::max(e.FillStartY, e.EditorCellY); ++y)
      DrawIcon(strip, play::TileSize * x, play::TileSize * y);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
}

void DrawLevelObjects() {
  const fe::ResourceSet& r = fe::Res;
  plat::SetColor(255, 255, 255);
  for (int x = 0; x < play::kLevelW; ++x) {
    for (int y = 0; y < play::kLevelH; ++y) {
      const plat::ImagePtr* img = nullptr;
      switch (L().ObjectGrid[x][y]) {
        case play::kObjStart: img = &r.ImgObjStart; break;
        case play::kObjExit: img = &r.ImgLevelEnd; break;
        case play::kObjCoin: img = &r.ImgCoin; break;
        default: break;
      }
      if (img) DrawIcon(*img, play::TileSize * x, play::TileSize * y);
    }
  }
}

void DrawEditor() {
  const EditorVars& e = Editor;
  DrawMapPicture();
  DrawLevelObjects();
  if (IsMouseOverMap()) {
    plat::SetColor(255, 255, 255);
    play::DrawRectOutline(static_cast<int>(e.EditorSnapX), static_cast<int>(e.EditorSnapY),
                          play::TileSize, play::TileSize);
    if (e.FillState == kFillFirstCorner && IsFillTool(e.EditorTool)) DrawFillPreview();
  }
  if (e.ToolbarVisible == 1)
    DrawToolbar();
  else
    DrawIcon(fe::Res.ImgEdge, 0, kShowToolbarBelow);
  DrawEditorHelp();
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  plat::DrawImage(fe::Res.ImgHookMid, e.EditorMouseX, e.EditorMouseY);
}

}  // namespace editor
