// The level in memory: grids, control flags, texts and the run positions
// taken from the object grid, with the level file's load and save.
#pragma once
#include <string>

#include "services/levelfile.h"
#include "services/tiles.h"

namespace play {

constexpr int kLevelCount = 50;  // playable levels 1..50; level 0 is the title backdrop
// Level numbers 0..kLevelCount: the slots of a pack's records and progress.
constexpr int kLevelSlots = kLevelCount + 1;

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

// Decodes level n of the pack into `into`; false, `into` untouched, when the
// level is missing or cannot be opened.
bool ReadLevel(const std::string& pack, int n, LevelData& into);
// Fills the level from level n of the current pack; returns 0. A missing or
// unreadable level clears the grids and empties the name and author; the
// flags are kept.
int LoadLevel(int n);
// Writes the level as level n of the current pack. Returns 0 when written
// (or when an editor dialog blocks saving), -1 when the file could not be
// written; the replay and records of a changed level are reset only after
// the level is safely on disk.
int SaveLevel(int n);

}  // namespace play
