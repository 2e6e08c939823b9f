// A throw-away copy of the game folder for tests that run the program body:
// resources linked from the built game folder, fresh Data/ and packs, the
// manual clock, and EndProgram turned into an exception.
#pragma once
#include <string>

namespace vtest {

struct ProgramExit {
  int code;
};

class GameSandbox {
 public:
  // driver: 1 OpenGL, 2 software stand-in (both run offscreen).
  explicit GameSandbox(int driver = 2);
  ~GameSandbox();
  GameSandbox(const GameSandbox&) = delete;
  GameSandbox& operator=(const GameSandbox&) = delete;

  const std::string& Dir() const { return dir_; }
  std::string Path(const std::string& rel) const { return dir_ + "/" + rel; }
  // Writes "Data/config.dat" with the given driver, windowed.
  void WriteConfig(int driver);

 private:
  std::string dir_;
  std::string oldCwd_;
};

// Runs the program body (StartProgram) with a frame hook that, every few
// frames, taps Escape and Space and clicks the main menu's exit button:
// Space skips the splash, Escape leads every screen back towards the main
// menu, and the exit button ends the run. Returns the exit code.
int RunProgramToQuit(int everyFrames = 20);

// Resets every subsystem's program-wide state and the platform's test state.
void ResetAllState();

// True when a GL driver (Mesa's, with its shader compiler) is mapped into
// this process.
bool GLDriverLoaded();

// A fresh empty temporary directory (removed by the caller or left in /tmp).
std::string MakeTempDir(const std::string& tag);
void RemoveTree(const std::string& dir);

}  // namespace vtest
