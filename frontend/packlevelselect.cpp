// The level select of a player's own pack: the built-in select's grid
// screen, with the cells a scan of the pack's level files finds playable and
// the pack's name at the top.
#include <cstdint>
#include <string>

#include "frontend/levelselect.h"
#include "platform/files.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/level.h"
#include "services/levelfile.h"
#include "services/resources.h"
#include "services/tiles.h"

namespace fe {

namespace {

constexpr int kPackNameShown = 20;

// The object grid is the fourth of the level file's grids. A file too short
// to hold all of it is damaged and is not offered for play, even where the
// part that is there holds a start.
bool HoldsPlayerStart(plat::Stream& in) {
  if (in.Seek(3 * play::kGridBytes) != 3 * play::kGridBytes) return false;
  uint8_t grid[play::kGridBytes];
  if (in.Read(grid, sizeof grid) != sizeof grid) return false;
  for (int at = 0; at < play::kGridBytes; at += 4) {
    const uint32_t v = grid[at] | grid[at + 1] << 8 | grid[at + 2] << 16 | uint32_t{grid[at + 3]} << 24;
    if (v == play::kObjStart) return true;
  }
  return false;
}

bool PackCellPlayable(int k) { return k >= 0 && k < play::kLevelCount && Records.PackLevelPlayable[k] > 0; }

float PackCellAlpha(int k) { return PackCellPlayable(k) ? 1.0f : 0.0f; }

void DrawPackHeading() {
  Res.BigFont->Draw(260, 16, "Pack: " + Game.CurrentPack.substr(0, kPackNameShown), 0);
}

// State 8 has no screen of its own: the dispatcher sends it straight back
// here, so Space only reloads the screen on the previewed level.
void AskForPackPreview() {
  SetGameState(kStatePackPreview, LevelSelect.PreviewLevel + 1, KeepValue);
  BuildRecordTexts(LevelSelect.PreviewLevel + 1);
}

const LevelGridRules kPackRules = {ScanPackLevels, PackCellPlayable, PackCellAlpha,
                                   DrawPackHeading, AskForPackPreview, false};

}  // namespace

void ScanPackLevels() {
  for (int n = 1; n <= play::kLevelCount; ++n) {
    // A directory, a missing file or one that cannot be opened gives no
    // stream.
    plat::StreamPtr in = plat::ReadFile(play::LevelPath(Game.CurrentPack, n));
    Records.PackLevelPlayable[n - 1] = in && HoldsPlayerStart(*in) ? 1 : 0;
    if (in) in->Close();
  }
}

void RunPackLevelSelect(int mode) { RunLevelGridScreen(kPackRules, mode); }

}  // namespace fe
