// libFuzzer target for the replay file loader: any bytes must decode without
// a fault, an accepted file must hold only finite values and a positive time,
// and a well-formed one must encode back to the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "play/replayfile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  play::DecodedReplay file;
  if (!play::DecodeReplay(data, size, file)) return 0;
  Check(file.runTime > 0);
  const size_t records =
      size > 4 ? (size - 4 + play::kReplayEventBytes - 1) / play::kReplayEventBytes : 0;
  Check(file.events.size() == records);
  for (const play::ReplayEvent& e : file.events)
    for (float f : {e.x, e.y, e.vx, e.vy, e.hookX, e.hookY, e.hookVX, e.hookVY})
      Check(std::isfinite(f));

  // Whole records ending in the closing one: the writer gives the same bytes.
  const size_t kRec = play::kReplayEventBytes;
  const bool whole = size >= 4 + kRec && (size - 4) % kRec == 0;
  if (whole && std::all_of(data + size - kRec, data + size, [](uint8_t b) { return b == 0; })) {
    file.events.pop_back();
    const std::vector<uint8_t> again = play::EncodeReplay(file.runTime, file.events);
    Check(again.size() == size && std::memcmp(again.data(), data, size) == 0);
  }
  return 0;
}
