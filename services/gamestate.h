// Game states and the state switch: the current and previous state, level
// and third value, and the current pack.
#pragma once
#include <string>

namespace fe {

constexpr int KeepValue = 19132006;

enum GameStateCode {
  kStateMainMenu = 0,
  kStateLevelSelect = 1,
  kStateEditor = 2,
  kStateOptions = 3,
  kStateQuit = 4,
  kStatePlay = 5,
  kStateSplash = 6,
  kStateNextLevel = 7,
  kStatePackPreview = 8,
  kStatePackLevelSelect = 9,
  kStateCredits = 10,
  kStateNextPackLevel = 11,
  kStateKeySetup = 20,
};

struct GameFlow {
  int GameState = kStateMainMenu;
  int PreviousGameState = kStateMainMenu;
  int CurrentLevel = 0;
  int PreviousLevel = 0;
  int StateParam = 0;
  int PreviousStateParam = 0;
  int QuitRequested = 0;
  std::string CurrentPack = "base";
  // Pointer position as the menu screens last read it.
  int MenuMouseX = 0;
  int MenuMouseY = 0;
};
extern GameFlow Game;

// Each argument other than KeepValue moves the current value into its
// previous slot and replaces it.
void SetGameState(int state, int level, int param);

// The built-in pack, whose levels are the program's own. A pack is the
// built-in one when its name is "base" in any letter case, as the level
// loader finds it. Only the booking of the campaign's progress asks for
// exactly kBuiltinPack instead.
inline constexpr const char* kBuiltinPack = "base";
bool IsBuiltinPack(const std::string& pack);
// IsBuiltinPack(Game.CurrentPack).
bool IsBasePack();
std::string PackDir(const std::string& pack);  // plat::PackPath(pack)

void ResetGameFlow();

}  // namespace fe
