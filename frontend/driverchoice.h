// The graphics driver choice screen and the command line that asks for it.
#pragma once
#include <string>

namespace fe {

// The arguments after the program path, joined without separator.
std::string JoinCommandLine();
// Runs until a driver is chosen (or the window is closed).
void RunDriverChoice();
void OpenGraphicsMode(int mode);

}  // namespace fe
