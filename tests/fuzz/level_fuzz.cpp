// libFuzzer target for the level file decoder: any bytes decode without a
// fault, the name and author never outgrow their fields whatever the lines
// hold, and what decodes encodes and decodes again to the same level.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "services/levelfile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Same(const play::LevelData& a, const play::LevelData& b) {
  return play::EncodeLevel(a) == play::EncodeLevel(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  play::LevelData level;
  play::DecodeLevel(std::vector<uint8_t>(data, data + size), level);
  Check(level.LevelName.size() <= static_cast<size_t>(play::kLevelTextMax));
  Check(level.LevelAuthor.size() <= static_cast<size_t>(play::kLevelTextMax));
  play::LevelData again;
  play::DecodeLevel(play::EncodeLevel(level), again);
  Check(Same(level, again));
  return 0;
}
