// The level select of a player's own pack: the built-in select's grid
// screen, with the cells a scan of the pack's level files finds playable and
// the pack's name at the top.
#include <algorithm>
#include <memory>
#include <string>

#include "frontend/levelselect.h"
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

bool HasPlayerStart(const play::LevelData& level) {
  return std::any_of(std::begin(level.ObjectGrid), std::end(level.ObjectGrid), [](const auto& column) {
    return std::find(std::begin(column), std::end(column), play::kObjStart) != std::end(column);
  });
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

// Playable is what play would find: the level as the loader reads it (a
// short file with zeros for what is missing) holds a start.
void ScanPackLevels() {
  auto level = std::make_unique<play::LevelData>();
  for (int n = 1; n <= play::kLevelCount; ++n) {
    const bool playable = play::ReadLevel(Game.CurrentPack, n, *level) && HasPlayerStart(*level);
    Records.PackLevelPlayable[n - 1] = playable ? 1 : 0;
  }
}

void RunPackLevelSelect(int mode) { RunLevelGridScreen(kPackRules, mode); }

}  // namespace fe
