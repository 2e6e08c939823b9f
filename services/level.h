// The level in memory: grids, control flags, texts and the run positions
// taken from the object grid, with the level file's load and save.
#pragma once
#include <string>

#include "services/levelfile.h"

namespace play {

enum TileCodeValue {
  kTileEmpty = -1,
  kTileBlockFirst = 0,     // 0..19 block of palette colour c
  kTileChangerFirst = 20,  // 20..39 changer of colour c-20
  kTileZoneFirst = 40,     // 40..59 zone of colour c-40
  kTileNeutral = 60,
  kTileNoRope = 61,
};

enum ObjectCodeValue { kObjNone = 0, kObjStart = 1, kObjExit = 2, kObjCoin = 3 };

constexpr int TileSize = 16;
constexpr int kLevelCount = 50;  // playable levels 1..50; level 0 is the title backdrop

struct LevelVars : LevelData {
  // Feet of the figure at the start, and the exit cell's top-left corner.
  float StartX = 0, StartY = 0;
  float ExitX = 0, ExitY = 0;
  // Set by the editor's tools, cleared by LoadLevel, read by SaveLevel.
  int LevelDirty = 0;
  // Non-zero while an editor dialog is open; SaveLevel then does nothing.
  int EditorDialog = 0;
};
extern LevelVars Level;
void ResetLevel();

// "incbin::n.doy" for the built-in pack, else the pack's level file path.
std::string LevelPath(const std::string& pack, int n);
std::string ReplayPath(const std::string& pack, int n);

// Fills the level from level n of the current pack; returns 0. A missing or
// unreadable level clears the grids and keeps flags and texts.
int LoadLevel(int n);
// Writes the level as level n of the current pack. Returns 0 when written
// (or when an editor dialog blocks saving), -1 when the file could not be
// written; the replay and records of a changed level are reset only after
// the level is safely on disk.
int SaveLevel(int n);

}  // namespace play
