#include "frontend/dispatcher.h"

#include "frontend/levelselect.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "platform/packpath.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/input.h"
#include "services/level.h"

namespace fe {

void EnterStartState() {
  SetGameState(kStateSplash, KeepValue, KeepValue);
  LoadRecords();
  LoadStatus();
}

namespace {

// Until a screen exists, its state shows an empty frame and Escape leads
// back to the main menu (Escape in the main menu itself quits), so the
// loop stays alive and every road can be walked.
void PlaceholderScreen() {
  const int entered = Game.GameState;
  plat::FlushKeys();
  while (Game.GameState == entered) {
    plat::SetClsColor(0, 0, 0);
    plat::Cls();
    if (plat::KeyHit(plat::vk::Escape))
      SetGameState(entered == kStateMainMenu ? kStateQuit : kStateMainMenu, KeepValue, KeepValue);
    if (plat::AppTerminate()) SetGameState(kStateQuit, KeepValue, KeepValue);
    plat::Flip();
  }
}
void PlaceholderWithArg(int) { PlaceholderScreen(); }

// State 8 (asked for by Space in the pack level select) has no screen of its
// own; it leads straight back to the pack level select so the player is
// never stranded.
void PackPreviewReturn() { SetGameState(kStatePackLevelSelect, KeepValue, KeepValue); }

ScreenTable DefaultScreens() {
  ScreenTable t{};
  t.RunMainMenu = PlaceholderScreen;
  t.RunSplash = PlaceholderScreen;
  t.RunCredits = PlaceholderScreen;
  t.RunLevelSelect = PlaceholderWithArg;
  t.RunPackLevelSelect = PlaceholderWithArg;
  t.RunOptions = PlaceholderScreen;
  t.RunKeySetup = PlaceholderScreen;
  t.RunEditor = PlaceholderScreen;
  t.PlayLevel = PlaceholderWithArg;
  t.RunPackPreview = PackPreviewReturn;
  return t;
}

ScreenTable g_screens = DefaultScreens();

void EnsureReplayDir() {
  const std::string dir = plat::PackPath(Game.CurrentPack, "/replays/");
  if (!dir.empty() && plat::FileType(dir) != plat::kFileDir) plat::CreateDir(dir);
}

}  // namespace

ScreenTable& Screens() { return g_screens; }
void ResetScreens() { g_screens = DefaultScreens(); }

void DispatcherPass() {
  play::PollInput(1);
  SaveRecordsAndStatus();
  Button::HideAll();
  SaveConfig();
  EnsureReplayDir();

  ScreenTable& s = Screens();
  switch (Game.GameState) {
    case kStateMainMenu: s.RunMainMenu(); break;
    case kStateLevelSelect: s.RunLevelSelect(1); break;
    case kStateEditor: s.RunEditor(); break;
    case kStateOptions: s.RunOptions(); break;
    case kStateQuit: Game.QuitRequested = 99; break;
    case kStatePlay: s.PlayLevel(Game.CurrentLevel); break;
    case kStateSplash: s.RunSplash(); break;
    case kStateNextLevel:
      if (Game.CurrentLevel < play::kLevelSlots)
        SetGameState(kStatePlay, Game.CurrentLevel, KeepValue);
      else
        SetGameState(kStateLevelSelect, KeepValue, KeepValue);
      break;
    case kStatePackPreview: s.RunPackPreview(); break;
    case kStatePackLevelSelect: s.RunPackLevelSelect(1); break;
    case kStateCredits: s.RunCredits(); break;
    case kStateNextPackLevel: {
      // The last scan may belong to another pack or predate the editor's
      // last save.
      ScanPackLevels();
      const int idx = Game.CurrentLevel - 1;
      const bool playable = idx >= 0 && idx < play::kLevelSlots && Records.PackLevelPlayable[idx] == 1;
      if (playable)
        SetGameState(kStatePlay, Game.CurrentLevel, KeepValue);
      else
        SetGameState(kStatePackLevelSelect, KeepValue, KeepValue);
      break;
    }
    case kStateKeySetup: s.RunKeySetup(); break;
    default:
      // A state nobody handles would spin here for ever.
      SetGameState(kStateMainMenu, KeepValue, KeepValue);
      break;
  }
  // The window's close button ends the run through the normal save path.
  if (plat::AppTerminate() && Game.GameState != kStateQuit && Game.QuitRequested == 0)
    SetGameState(kStateQuit, KeepValue, KeepValue);
}

void RunDispatcher() {
  while (Game.QuitRequested == 0) DispatcherPass();
}

}  // namespace fe
