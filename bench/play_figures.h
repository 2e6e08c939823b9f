// Pieces the play benchmarks share: the full test level and the plain play
// simulation figure (effects_bench reports against it).
#pragma once
#include <string>

#include "services/levelfile.h"

namespace bench {

// Every row used: a wall of blocks around the field, platforms of mixed
// colours, changers, zones, neutral blocks and no-rope zones, and coins.
play::LevelData FullLevel();

struct SimulationFigure {
  double seconds = 0;
  int runSteps = 0;    // steps with a live figure
  int totalSteps = 0;  // countdowns after deaths included
  std::string summary;
  // Conservative: only the steps with a live figure count, against the time
  // of all steps.
  double TimesRealTime() const { return seconds > 0 ? runSteps / seconds / 480.0 : 0; }
};

// 480,000 steps of running back and forth on FullLevel, jumping, firing and
// throwing the rope.
SimulationFigure MeasurePlaySimulation();

}  // namespace bench
