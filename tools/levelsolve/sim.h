// A light step of the player figure for the route search: the same figure
// code as the play loop (input, rope, exit test, update, coin pickup, in the
// play step's order) without the countdown, replays, particles or sounds.
#pragma once
#include <cstdint>
#include <vector>

#include "play/tavik.h"
#include "services/levelfile.h"

namespace solve {

// The inputs held for a run of steps; the aim point keeps its value when
// setAim is false.
struct Held {
  int left = 0, right = 0, jump = 0, fire = 0, rope = 0;
  bool setAim = false;
  int aimX = 0, aimY = 0;
};

// The figure, with deaths and colour changes noted instead of acted out.
class SimFigure : public play::Tavik {
 public:
  int dead = 0;
  void Die(int colour) override;
  void SetColour(int colour) override;
};

struct Coin {
  int x, y;  // cell's top-left pixel
};

// The level and its objects, loaded into the play globals.
struct SimLevel {
  play::LevelData data;
  std::vector<Coin> coins;
  float startX = 0, startY = 0, exitX = 0, exitY = 0;
};
void LoadSimLevel(const play::LevelData& data, SimLevel& out);

struct SimState {
  SimFigure fig;
  uint64_t coinsTaken = 0;  // bit k: coin k taken
  int step = 0;             // run steps done
  int aimX = 400, aimY = 300;
  bool finished = false;
};

// The figure at the start of a run (step 0 done, none of the run's).
SimState StartState(const SimLevel& level);

// Runs `count` steps with the held inputs; stops early at a death or the
// finish. Returns false on a death.
bool RunSteps(const SimLevel& level, SimState& s, const Held& in, int count);

// The outer box of the figure meets the cell (i, j).
bool FigureMeetsCell(const play::Tavik& t, int i, int j);

}  // namespace solve
