// The dispatcher loop that runs the screens one after another until quit,
// and the table through which it reaches them.
#pragma once
#include "services/gamestate.h"

namespace fe {

// The splash state, then the current pack's records and the progress.
void EnterStartState();

// One dispatcher pass: housekeeping, then the current state's handler.
void DispatcherPass();
void RunDispatcher();

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

}  // namespace fe
