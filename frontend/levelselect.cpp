#include "frontend/levelselect.h"

#include <string>

#include "frontend/menuframe.h"
#include "platform/clock.h"
#include "platform/gfx.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/resources.h"
#include "services/shapes.h"
#include "services/sound.h"

namespace fe {

LevelSelectVars LevelSelect;
void ResetLevelSelect() { LevelSelect = LevelSelectVars{}; }

namespace {

constexpr int kGridColumns = 10;
constexpr int kGridRows = 5;
constexpr int kCells = kGridColumns * kGridRows;
constexpr int kCellStep = 34;
constexpr int kGridX = 14, kGridY = 80;
// Frames of the block strips; an edge frame outside them comes from a
// damaged file and the cell is not drawn, as in play.
constexpr int kBlockFrames = 32;

// The selection lives in the shared last-played level: play leaves a level
// number there, the level select turns it into a cell index on entry and
// back into a level number when it is left.
int& Sel() { return play::Run.LastPlayedLevel; }

bool InGrid(int k) { return k >= 0 && k < kCells; }

bool Playable(const LevelGridRules& r, int k) { return InGrid(k) && r.Selectable(k); }

// Preview, texts and records follow cell k (level k + 1; -1 shows level 0).
void LoadPreview(int k) {
  play::LoadLevel(k + 1);
  BuildRecordTexts(k + 1);
  LevelSelect.PreviewLevel = k;
}

std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

void SetPalette(int c) { plat::SetColor(Res.BlockPaletteR[c], Res.BlockPaletteG[c], Res.BlockPaletteB[c]); }

void DrawGrid(const LevelGridRules& r) {
  plat::SetAlpha(1.0f);
  plat::SetColor(255, 255, 255);
  for (int i = 0; i < kGridColumns; ++i) {
    for (int j = 0; j < kGridRows; ++j) {
      const int k = i + kGridColumns * j;
      plat::SetAlpha(r.CellAlpha(k));
      const int c = 9 - i;
      int red = Res.BlockPaletteR[c], green = Res.BlockPaletteG[c], blue = Res.BlockPaletteB[c];
      if (k == Sel()) {
        red = (red + 255) / 2;
        green = (green + 255) / 2;
        blue = (blue + 255) / 2;
      }
      plat::SetColor(red, green, blue);
      const int x = kGridX + kCellStep * i, y = kGridY + kCellStep * j;
      plat::DrawImage(Res.ImgLevelCell, static_cast<float>(x), static_cast<float>(y));
      Res.SmallFont->Draw(x + 2, y + 6, TwoDigits(k + 1), 0);
    }
  }
}

void HandleGridPointer(const LevelGridRules& r, bool moved) {
  const int cell = GridCellAt(Game.MenuMouseX, Game.MenuMouseY);
  if (cell < 0) return;
  if (moved && r.Selectable(cell)) Sel() = cell;
  // Only a selection that is a real, open level can be played.
  if (play::Input.MouseClick && Playable(r, Sel())) SetGameState(kStatePlay, Sel() + 1, KeepValue);
}

void DrawShading() {
  plat::SetColor(0, 0, 0);
  plat::SetAlpha(0.5f);
  plat::DrawRect(0, 450, 800, 150);
  plat::DrawRect(0, 0, 800, 54);
  plat::SetAlpha(1.0f);
}

void DrawLevelTexts() {
  const play::LevelVars& lv = play::Level;
  if (!lv.LevelAuthor.empty()) {
    Res.BigFont->Draw(20, 458, lv.LevelName, 0);
    Res.SmallFont->Draw(20, 495, "by " + lv.LevelAuthor, 0);
  } else {
    Res.BigFont->Draw(20, 458, "level " + std::to_string(LevelSelect.PreviewLevel + 1), 0);
  }
}

void DrawControlFlags() {
  const play::LevelVars& lv = play::Level;
  const int allowed[3] = {lv.AllowMovement, lv.AllowShooting, lv.AllowRope};
  const plat::ImagePtr icons[3] = {Res.ImgToolMove, Res.ImgToolShoot, Res.ImgToolRope};
  for (int n = 0; n < 3; ++n) {
    if (allowed[n])
      plat::SetColor(0, 255, 0);
    else
      plat::SetColor(255, 0, 0);
    plat::DrawImage(Res.ImgControlIconBack, static_cast<float>(20 + 36 * n), 520);
  }
  plat::SetColor(255, 255, 255);
  for (int n = 0; n < 3; ++n) plat::DrawImage(icons[n], static_cast<float>(20 + 36 * n), 520);
}

void DrawTitleBar(const LevelGridRules& r) {
  play::TickAnimCounter();
  SetCycleColour(play::Input.AnimCounter);
  plat::DrawImage(Res.ImgLevelSelectTitle, 20, 20);
  plat::DrawLine(0, 450, 800, 450);
  plat::DrawLine(0, 54, 800, 54);
  if (r.DrawHeading) r.DrawHeading();
  Res.BigFont->Draw(450, 454, "Records:", 0);
}

void EnterGrid(const LevelGridRules& r, int mode) {
  LevelSelect.PreviewFadeState = kPreviewFadeIn;
  LevelSelect.PreviewAlpha = 1.0f;
  if (r.resetAfterPreview && Game.PreviousGameState == kStatePackPreview) Sel() = 0;
  if (mode == 1) Sel() -= 1;
  r.Prepare();
  // A selection left over from another pack, or out of range, is no
  // selection.
  if (!Playable(r, Sel())) Sel() = -1;
  LoadPreview(Sel());
  LevelSelect.LastInputTime = plat::Millisecs();
  PlayMusic(2);
}

// Built-in pack rules: progress status.
void UnlockOnEntry() { UnlockLevels(); }
bool StatusOpen(int k) { return InGrid(k) && Records.LevelStatus[k] > 0; }
float StatusAlpha(int k) {
  switch (Records.LevelStatus[k]) {
    case 0: return 0.1f;
    case 1: return 0.5f;
    default: return 1.0f;
  }
}

const LevelGridRules kBuiltinRules = {UnlockOnEntry, StatusOpen, StatusAlpha, nullptr, nullptr, true};

}  // namespace

int Selection() { return Sel(); }

int GridCellAt(int x, int y) {
  if (!(x > kGridX && x < kGridX + kGridColumns * kCellStep && y > kGridY && y < 240)) return -1;
  return (x - kGridX) / kCellStep + kGridColumns * ((y - kGridY) / kCellStep);
}

void RunLevelGridScreen(const LevelGridRules& r, int mode) {
  MenuFrame frame;
  EnterGrid(r, mode);
  frame.Open();
  while (frame.Running()) {
    const bool pointerMoved = frame.Begin();
    if (pointerMoved) LevelSelect.LastInputTime = plat::Millisecs();
    TileLevelBack();
    DrawLevelPreview(382, 80, 0.5f, LevelSelect.PreviewAlpha);
    plat::SetScale(1.0f, 1.0f);
    UpdatePreviewFade();
    LevelSelectNoOp();
    DrawGrid(r);
    HandleGridPointer(r, pointerMoved);
    DrawShading();
    DrawTitleBar(r);
    plat::SetAlpha(LevelSelect.PreviewAlpha);
    DrawLevelTexts();
    DrawControlFlags();
    DrawRecords();
    plat::SetAlpha(1.0f);
    Button::DrawAll();
    frame.DrawPointer();
    frame.ReadKeys();
    if (play::Input.EscapeHit) SetGameState(kStateMainMenu, KeepValue, KeepValue);
    if (play::Input.SpaceHit && r.OnSpace) r.OnSpace();
    frame.Show();
  }
  // Back to a level number, so that the next entry steps back onto the
  // same cell; play overwrites it with the level it leaves.
  Sel() += 1;
}

void RunLevelSelect(int mode) { RunLevelGridScreen(kBuiltinRules, mode); }

void UpdatePreviewFade() {
  LevelSelectVars& v = LevelSelect;
  switch (v.PreviewFadeState) {
    case kPreviewFadeIn:
      v.PreviewAlpha += 0.04f;
      if (v.PreviewAlpha >= 1.0f) {
        v.PreviewAlpha = 1.0f;
        v.PreviewFadeState = kPreviewHold;
      }
      break;
    case kPreviewHold:
      v.PreviewAlpha = 1.0f;
      if (Sel() != v.PreviewLevel) v.PreviewFadeState = kPreviewFadeOut;
      break;
    case kPreviewFadeOut:
      v.PreviewAlpha -= 0.04f;
      if (v.PreviewAlpha <= 0.0f) {
        v.PreviewAlpha = 0.0f;
        v.PreviewFadeState = kPreviewLoad;
      }
      break;
    case kPreviewLoad:
      v.PreviewAlpha = 0.0f;
      LoadPreview(Sel());
      v.PreviewFadeState = kPreviewFadeIn;
      break;
    default:
      break;
  }
}

void LevelSelectNoOp() {}

void DrawLevelPreview(int x, int y, float s, float a) {
  const play::LevelVars& lv = play::Level;
  plat::SetScale(s, s);
  const float step = 16.0f * s;
  for (int cx = 0; cx < play::kLevelW; ++cx) {
    for (int cy = 0; cy < play::kLevelH; ++cy) {
      const int frame = lv.EdgeFrameGrid[cx][cy];
      if (frame < 0 || frame >= kBlockFrames) continue;
      const int c = lv.TileGrid[cx][cy];
      plat::ImagePtr strip;
      float alpha = a;
      switch (play::KindOf(c)) {
        case play::TileKind::Block:
          SetPalette(play::TileColour(c));
          strip = Res.ImgBlocksPlain;
          break;
        case play::TileKind::Changer:
          SetPalette(play::TileColour(c));
          strip = Res.ImgBlocksChanger;
          break;
        case play::TileKind::Zone:
          SetPalette(play::TileColour(c));
          strip = Res.ImgBlocksZone;
          alpha = a * 0.5f;
          break;
        case play::TileKind::Neutral:
          plat::SetColor(255, 255, 255);
          strip = Res.ImgBlocksPlain;
          break;
        case play::TileKind::NoRope:
          plat::SetColor(0, 0, 0);
          strip = Res.ImgBlocksZone;
          alpha = a * 0.5f;
          break;
        case play::TileKind::Empty:
          continue;
      }
      plat::SetAlpha(alpha);
      plat::DrawImage(strip, x + cx * step, y + cy * step, frame);
    }
  }
  plat::SetAlpha(a);
  plat::SetColor(255, 255, 255);
  for (int cx = 0; cx < play::kLevelW; ++cx) {
    for (int cy = 0; cy < play::kLevelH; ++cy) {
      plat::ImagePtr img;
      switch (lv.ObjectGrid[cx][cy]) {
        case play::kObjStart: img = Res.ImgObjStart; break;
        case play::kObjExit: img = Res.ImgLevelEnd; break;
        case play::kObjCoin: img = Res.ImgCoin; break;
        default: continue;
      }
      plat::DrawImage(img, x + cx * step, y + cy * step, 0);
    }
  }
  plat::SetScale(1.0f, 1.0f);
  plat::SetColor(0, 0, 0);
  plat::SetAlpha(0.25f);
  const int w = static_cast<int>(800 * s), h = static_cast<int>(576 * s);
  plat::DrawRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), static_cast<float>(h));
  plat::SetAlpha(1.0f);
  play::DrawRectOutline(x, y, w, h);
}

}  // namespace fe
