// Millisecond clock and seeded random numbers.
#pragma once
#include <cstdint>

namespace plat {

// Milliseconds since start-up; wraps like a 32-bit counter. Compare with
// MillisDiff() or signed differences, never with plain '<'.
int32_t Millisecs();
inline int32_t MillisDiff(int32_t later, int32_t earlier) {
  return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}
void Delay(int ms);

void SeedRnd(int32_t seed);
int32_t RndSeed();
// Integer from a to b inclusive (order of a and b does not matter).
int32_t Rand(int32_t a, int32_t b);
// Float from a up to (not including) b.
double Rnd(double a = 1.0, double b = 0.0);

}  // namespace plat
