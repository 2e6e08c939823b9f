// Route search: a best-first search over held-input segments toward a list
// of target cells (route hints, then the coins, then the exit).
#pragma once
#include <string>
#include <vector>

#include "sim.h"

namespace solve {

struct Segment {
  Held in;
  int steps;
};

struct Target {
  int i = -1, j = -1;  // a cell to touch; i = -1: any coin left; i = -2: the exit
};

struct SearchOptions {
  int segmentSteps = 20;
  int maxNodes = 400000;  // per target
  float stepCost = 0.02f;  // pixels of distance one step is worth
  int aimAngles = 16;     // directions tried for the gun and the rope
};

// Plans every target in turn; appends the segments to `plan`. False (with a
// message) when a target could not be reached.
bool SolveRoute(const SimLevel& level, const std::vector<Target>& route,
                const SearchOptions& opt, std::vector<Segment>& plan, std::string& error);

// The plan as a script of the play harness.
std::string PlanToScript(const std::vector<Segment>& plan);

}  // namespace solve
