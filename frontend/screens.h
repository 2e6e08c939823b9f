// The title screens and their place in the dispatcher's screen table, with
// the menu screens that have headers of their own (levelselect.h,
// options.h, keysetup.h).
#pragma once

namespace fe {

// State 6: the maker's logo between two bands; ends in the main menu.
void RunSplash();
// State 0: the title over the current pack's level 0; left through its buttons.
void RunMainMenu();
// State 10: thanks and tools over the same backdrop; Escape or back leaves.
void RunCredits();
// State 1: see frontend/levelselect.h.
void RunLevelSelect(int mode);

// Puts the screens above into the dispatcher's table (fe::Screens()).
void InstallScreens();

}  // namespace fe
