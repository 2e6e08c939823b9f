// Runs a level through the real play loop with scripted per-step input and
// a clock that the run itself advances, and reports how the run ended.
// Used by the tests, the replay and solution checks, the benchmark and the
// velkor_playrun tool.
//
// Script format (plain text, one line per change):
//
//   # a comment runs to the end of the line
//   limit 4800          optional: give up after this many run steps
//   deaths 0            optional: deaths to play through before stopping
//   1   right           from run step 1 hold right (and nothing else)
//   1   aim=700,400     the pointer; it keeps its value until set again
//   120 right jump      from step 120 hold right and jump
//   300 -               from step 300 hold nothing
//   310 fire aim=10,10  fire toward (10, 10)
//   400 slow            tap the slow-motion key once at step 400
//
// Run steps count from 1 at the first step after "go"; after a death the
// count starts again at the next go, and the script is read again from its
// start. A line holds exactly the inputs it lists until the next line:
// left, right, jump, down, fire (mouse button 1), rope (mouse button 2),
// button3 (mouse button 3). "slow" and "esc" are single taps of the
// slow-motion key and Escape at that step. Several lines may share a step;
// later ones win. Lines must not go back in steps.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "services/levelfile.h"

namespace play {

struct ScriptLine {
  int step = 1;
  bool left = false, right = false, jump = false, down = false, fire = false, rope = false,
       button3 = false;
  bool setAim = false;
  int aimX = 0, aimY = 0;
  int slowTaps = 0, escTaps = 0;
};

struct PlayScript {
  std::vector<ScriptLine> lines;
  int limit = 48000;  // run steps: 100 s of play
  int deaths = 0;
};

// Parses the text; on failure returns false with "line N: why" in error.
bool ParsePlayScript(const std::string& text, PlayScript& out, std::string& error);
bool LoadPlayScript(const std::string& path, PlayScript& out, std::string& error);

struct PlayRunOptions {
  int level = 1;                   // CurrentLevel during the run (level colour, records)
  std::string pack = "playrun";    // CurrentPack (replays and records look there)
  bool draw = false;               // draw and flip every frame; needs open graphics
  double frameMs = 1000.0 / 60.0;  // clock advance per frame
  int startAimX = 400, startAimY = 300;
  // Called after every frame with the frame number (from 1); return false
  // to stop the run.
  std::function<bool(int frame)> onFrame;
  // Called after every simulation step.
  std::function<void()> onStep;
};

struct PlayRunResult {
  bool finished = false;
  int finishStep = 0;  // run step in which the exit was reached
  int timeMs = 0;      // booked level time
  int deaths = 0;
  std::vector<int> deathSteps;  // run step of each death
  int runSteps = 0;             // steps simulated with a live figure, all lives
  int totalSteps = 0;           // every step, countdowns included
  int frames = 0;
  bool timedOut = false;
  // The figure at the end (or at its death).
  float x = 0, y = 0, vx = 0, vy = 0;
  int colour = 0;
  int coinsLeft = 0;
};

// Plays the level from set-up: the level-start popup is closed with Escape
// in the first frame, the countdown runs, then the script drives the figure
// until the finish, the allowed deaths, the step limit or onFrame says stop.
// The clock is the platform's manual clock for the run (when the caller has
// already switched to it, its settings are kept; a drawn run then needs a
// flip step).
PlayRunResult RunPlayScript(const LevelData& level, const PlayScript& script,
                            const PlayRunOptions& options = {});

// A one-line summary: "finished step=... time=..." or "died ..." etc.
std::string DescribeRun(const PlayRunResult& r);

// Sets a level up to be drawn outside the play loop (benchmarks, drawing
// tests): its objects placed, its glow and picture made, and the figure
// standing at the start, aiming at (aimX, aimY). Needs open graphics.
void StageLevel(const LevelData& level, float aimX, float aimY);

}  // namespace play
