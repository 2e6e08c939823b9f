// The built-in pack's level select: a 10x5 grid of level cells locked by
// progress, a half-size preview that cross-fades with the selection, and
// the previewed level's name, control flags and records. The grid screen is
// written once; the pack level select runs it with its own rules.
#pragma once

namespace fe {

enum PreviewFadeValue {
  kPreviewFadeIn = 0,
  kPreviewHold = 1,
  kPreviewFadeOut = 2,
  kPreviewLoad = 3,  // load the selection's level, then fade in
};

struct LevelSelectVars {
  // Cell index (level - 1) whose preview, texts and records are shown.
  int PreviewLevel = -1;
  float PreviewAlpha = 1.0f;
  int PreviewFadeState = kPreviewFadeIn;
  // Clock value of the last pointer movement.
  int LastInputTime = 0;
};
extern LevelSelectVars LevelSelect;
void ResetLevelSelect();

// What differs between the level selects.
struct LevelGridRules {
  // Run once on entry before the selection is checked (unlocking, scanning).
  void (*Prepare)();
  // Whether cell k (0..49) can be selected and played.
  bool (*Selectable)(int k);
  // Alpha of cell k.
  float (*CellAlpha)(int k);
  // Drawn after the title, in the title's colour (may be null).
  void (*DrawHeading)();
  // The reaction to Space at the end of the frame (may be null).
  void (*OnSpace)();
  // Entering from state 8 clears the selection.
  bool resetAfterPreview;
};

// The grid screen. Mode 1 steps the selection back from the level number
// that play left to its cell index.
void RunLevelGridScreen(const LevelGridRules& rules, int mode);
// State 1.
void RunLevelSelect(int mode);
// State 9: the current pack's levels that hold a player start.
void RunPackLevelSelect(int mode);
// PackLevelPlayable[n - 1] := 1 when level n (1..50) of the current pack is
// a whole level file with a player start, else 0.
void ScanPackLevels();

// The whole level in memory with its top left corner at (x, y), scaled by
// scale, at alpha; leaves scale 1, alpha 1 and colour black.
void DrawLevelPreview(int x, int y, float scale, float alpha);
// One frame of the preview cross-fade toward the selection.
void UpdatePreviewFade();
void LevelSelectNoOp();

// Grid geometry: cell index under (x, y), or -1 outside the hit area.
int GridCellAt(int x, int y);
// The current selection (a cell index, -1 for none).
int Selection();

}  // namespace fe
