#include "services/gamestate.h"

#include <algorithm>
#include <cctype>

#include "platform/packpath.h"

namespace fe {

GameFlow Game;

void ResetGameFlow() { Game = GameFlow{}; }

void SetGameState(int state, int level, int param) {
  if (state != KeepValue) {
    Game.PreviousGameState = Game.GameState;
    Game.GameState = state;
  }
  if (level != KeepValue) {
    Game.PreviousLevel = Game.CurrentLevel;
    Game.CurrentLevel = level;
  }
  if (param != KeepValue) {
    Game.PreviousStateParam = Game.StateParam;
    Game.StateParam = param;
  }
}

bool IsBuiltinPack(const std::string& pack) {
  std::string p = pack;
  std::transform(p.begin(), p.end(), p.begin(), [](unsigned char c) { return std::tolower(c); });
  return p == kBuiltinPack;
}

bool IsBasePack() { return IsBuiltinPack(Game.CurrentPack); }

std::string PackDir(const std::string& pack) { return plat::PackPath(pack); }

}  // namespace fe
