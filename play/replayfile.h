// The ".doyplay" replay file: a 32-bit run time, then one 64-byte record per
// event and a closing record of zeros; little-endian, no header. Kept free
// of the rest of the game so the loader can be fuzzed on its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace play {

struct ReplayEvent {
  int32_t step = 0;
  float x = 0, y = 0, vx = 0, vy = 0;
  float hookX = 0, hookY = 0, hookVX = 0, hookVY = 0;
  int32_t aimX = 0, aimY = 0;
  int32_t changedLeft = 0, changedRight = 0, changedJump = 0, changedFire = 0, changedRope = 0;

  bool operator==(const ReplayEvent&) const = default;
};

constexpr size_t kReplayEventBytes = 64;

// Run time, every event in order and the closing event.
std::vector<uint8_t> EncodeReplay(int32_t runTime, const std::vector<ReplayEvent>& events);

struct DecodedReplay {
  int32_t runTime = 0;
  // Every record up to the end of the data, the closing one included; a
  // cut-off last record reads with zeros in its missing bytes.
  std::vector<ReplayEvent> events;
};

// False when the data counts as no replay: a run time of 0 or less, or a
// position, velocity or hook value that is not a finite number.
bool DecodeReplay(const uint8_t* data, size_t size, DecodedReplay& out);

}  // namespace play
