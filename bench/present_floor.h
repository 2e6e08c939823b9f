// The presenting floor: what a bare SDL program pays per frame to clear its
// window, copy one prepared 800x600 picture into it and present it, with the
// software renderer and framebuffer acceleration off. Frame benchmarks report
// their figures as ratios to it, measured in the same run, so their goals
// hold on machines that differ two- or threefold.
//
// It uses SDL alone (no game code), and only the video driver the caller
// chose (SDL_VIDEODRIVER: offscreen, or x11 for a real window). SDL settles
// framebuffer acceleration once per process, at the first software window:
// measure in a process whose software windows all run without it (the
// game's platform layer does), else the floor is taken with it on.
#pragma once
#include <vector>

namespace bench {

// Milliseconds per frame over `frames` frames (after a short warm-up), in a
// window of its own that it closes again; -1 when SDL cannot open it.
double PresentingFloorMs(int frames = 300);

// The median of the values (0 for none).
double Median(std::vector<double> values);

// Prints the floor line every frame benchmark starts with.
void PrintFloor(const char* who, const std::vector<double>& roundsMs);

}  // namespace bench
