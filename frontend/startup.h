// The program's entry and its main body.
#pragma once

namespace fe {

// The process start-up has made the program folder the working directory.
void StartProgram();
// The main body: start-up, the dispatcher loop until quit, the settings
// saved; ends the program through plat::EndProgram.
void RunGame();
// The start-up alone, everything before the first game state; tests and the
// start-up benchmark use it.
void StartUp();
// Allows StartProgram/RunGame to run again (tests only).
void ResetStartupGuards();

}  // namespace fe
