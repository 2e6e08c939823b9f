// Game states, the state switch and the dispatcher loop that runs the
// screens one after another until quit.
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
  int GameState = 0;
  int PreviousGameState = 0;
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
void EnterStartState();

// One dispatcher pass: housekeeping, then the current state's handler.
void DispatcherPass();
void RunDispatcher();

// True when the current pack is the built-in one ("base", any case).
bool IsBasePack();
std::string PackDir(const std::string& pack);  // plat::PackPath(pack)

// Screen routines. Each runs its own frame loop until the state changes.
// The dispatcher reaches them through this table so a test (or a screen
// that is not built yet) can stand in for any of them.
struct ScreenTable {
  void (*RunMainMenu)();
  void (*RunSplash)();
  void (*RunCredits)();
  void (*RunLevelSelect)(int arg);
  void (*RunPackLevelSelect)(int arg);
  void (*RunOptions)();
  void (*RunKeySetup)();
  void (*RunEditor)();
  void (*PlayLevel)(int level);
  void (*RunPackPreview)();
};
ScreenTable& Screens();
void ResetScreens();

void ResetGameFlow();

}  // namespace fe
