// Every test runs headless unless the caller chose otherwise: the offscreen
// video driver runs both renderers without X, and the dummy audio driver
// keeps the mixer quiet.
#include <cstdlib>

namespace {
const bool kHeadlessEnv = [] {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return true;
}();
}  // namespace
