// Millisecond clock (real or stepped by tests) and the seeded generator.
#include "platform/clock.h"

#include <SDL.h>

#include <cmath>
#include <utility>

#include "platform/gfx_internal.h"
#include "platform/headless.h"

namespace plat {
namespace {

struct ClockState {
  bool manual = false;
  double manualMs = 0;
  double flipStepMs = 0;
};

// xorshift64* over a splitmix-scrambled seed: cheap, and the same seed
// always gives the same sequence on every machine.
struct RandomState {
  int32_t seed = 0x1234;
  uint64_t state = 0;
};

ClockState gClock;
RandomState gRandom;

uint64_t Scramble(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return x ? x : 0x2545F4914F6CDD1Dull;  // xorshift must not start at 0
}

uint64_t NextRandom() {
  if (!gRandom.state) gRandom.state = Scramble(static_cast<uint32_t>(gRandom.seed));
  uint64_t x = gRandom.state;
  x ^= x >> 12;
  x ^= x << 25;
  x ^= x >> 27;
  gRandom.state = x;
  return x * 0x2545F4914F6CDD1Dull;
}

}  // namespace

int32_t Millisecs() {
  if (gClock.manual) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(std::floor(gClock.manualMs))));
  }
  return static_cast<int32_t>(SDL_GetTicks());
}

void Delay(int ms) {
  if (ms <= 0) return;
  if (gClock.manual) {
    gClock.manualMs += ms;
    return;
  }
  SDL_Delay(static_cast<Uint32>(ms));
}

void SeedRnd(int32_t seed) {
  gRandom.seed = seed;
  gRandom.state = Scramble(static_cast<uint32_t>(seed));
}

int32_t RndSeed() { return gRandom.seed; }

int32_t Rand(int32_t a, int32_t b) {
  if (a > b) std::swap(a, b);
  uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(b) - a) + 1;
  return static_cast<int32_t>(a + static_cast<int64_t>(NextRandom() % span));
}

double Rnd(double a, double b) {
  double unit = static_cast<double>(NextRandom() >> 11) * (1.0 / 9007199254740992.0);
  if (b > a) return a + unit * (b - a);
  return b + unit * (a - b);
}

namespace detail {
bool ManualClockActive() { return gClock.manual; }
void StepManualClockForFlip() {
  if (gClock.manual && gClock.flipStepMs > 0) gClock.manualMs += gClock.flipStepMs;
}
void ResetClock() { gClock = ClockState{}; }
}  // namespace detail

namespace test {
void UseManualClock(int32_t startMs, double flipStepMs) {
  gClock.manual = true;
  gClock.manualMs = startMs;
  gClock.flipStepMs = flipStepMs;
}
void UseRealClock() { gClock = ClockState{}; }
bool ManualClock() { return gClock.manual; }
void AdvanceClock(double ms) { gClock.manualMs += ms; }
void SetClock(int32_t ms) { gClock.manualMs = ms; }
}  // namespace test

}  // namespace plat
