// A peak limiter for interleaved stereo floats: the gain drops at once to
// keep every sample within the ceiling and comes back smoothly, so loud
// overlaps are turned down instead of cut flat. Header-only: our sound
// library uses it without the rest of the platform.
#pragma once
#include <algorithm>
#include <cmath>

namespace plat {

// Effects and music play on two devices that the system adds together: two
// ceilings that sum to full scale keep the sum from clipping too.
inline constexpr float kEffectsCeiling = 0.45f;
inline constexpr float kMusicCeiling = 0.55f;

class PeakLimiter {
 public:
  PeakLimiter(float ceiling, int rate, float releaseSeconds = 0.15f)
      : ceiling_(ceiling), release_(std::exp(-1.0f / (releaseSeconds * static_cast<float>(rate)))) {}

  void Process(float* stereo, int frames) {
    for (int i = 0; i < frames; ++i) {
      float& l = stereo[2 * i];
      float& r = stereo[2 * i + 1];
      envelope_ = std::max(std::max(std::fabs(l), std::fabs(r)), envelope_ * release_);
      if (envelope_ > ceiling_) {
        const float gain = ceiling_ / envelope_;
        l *= gain;
        r *= gain;
      }
    }
  }
  void Reset() { envelope_ = 0; }

 private:
  float ceiling_, release_;
  float envelope_ = 0;
};

}  // namespace plat
