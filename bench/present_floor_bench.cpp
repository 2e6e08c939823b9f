// The presenting floor alone (see present_floor.h): five rounds of 300
// frames, each printed, then their median.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/present_floor.h"

int main() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  std::vector<double> rounds;
  for (int i = 0; i < 5; ++i) rounds.push_back(bench::PresentingFloorMs());
  bench::PrintFloor("present_floor_bench", rounds);
  for (double ms : rounds) std::printf("  round: %.3f ms\n", ms);
  return rounds.front() < 0;
}
