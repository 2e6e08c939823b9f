// Kept apart from the encoder so the level compiler can build the format
// without the platform layer.
#include "services/levelfile.h"

#include "platform/files.h"

namespace play {

namespace {

void GetGrid(plat::Stream& in, int grid[kLevelW][kLevelH]) {
  for (int x = 0; x < kLevelW; ++x)
    for (int y = 0; y < kLevelH; ++y) grid[x][y] = in.ReadInt();
}

}  // namespace

void DecodeLevel(plat::Stream& in, LevelData& level) {
  GetGrid(in, level.TileGrid);
  GetGrid(in, level.EdgeFrameGrid);
  GetGrid(in, level.CornerFrameGrid);
  GetGrid(in, level.ObjectGrid);
  level.AllowMovement = in.ReadInt();
  level.AllowShooting = in.ReadInt();
  level.AllowRope = in.ReadInt();
  level.LevelName = in.ReadLine(kLevelTextMax);
  level.LevelAuthor = in.ReadLine(kLevelTextMax);
}

void DecodeLevel(const std::vector<uint8_t>& bytes, LevelData& level) {
  plat::MemoryStream in(bytes, true, false);
  DecodeLevel(in, level);
}

}  // namespace play
