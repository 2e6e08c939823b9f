// The program's entry and its main body.
#pragma once

namespace fe {

// The process start-up has made the program folder the working directory.
void StartProgram();
// Start-up steps 1 to 42; ends the program through plat::EndProgram.
void RunGame();
// Steps 1 to 39 only (everything before the first game state); tests and
// the start-up benchmark use it.
void StartUp();
// Allows StartProgram/RunGame to run again (tests only).
void ResetStartupGuards();

}  // namespace fe
