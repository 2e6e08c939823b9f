// The graphics driver choice screen and the command line that asks for it.
#pragma once
#include <string>

namespace fe {

// The arguments after the program path, joined without separator.
std::string JoinCommandLine();
// Runs until a driver is chosen (or the window is closed).
void RunDriverChoice();
void OpenGraphicsMode(int mode);
// Opens the window (depth 0) or full screen (depth 32), or ends the program
// saying why: without its window the game would run on unseen, and the
// driver choice would wait for ever.
void OpenGraphicsOrEnd(int width, int height, int depth);

}  // namespace fe
