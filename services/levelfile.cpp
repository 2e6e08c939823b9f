#include "services/levelfile.h"

namespace play {

void LevelData::Clear() {
  for (int x = 0; x < kLevelW; ++x) {
    for (int y = 0; y < kLevelH; ++y) {
      TileGrid[x][y] = -1;
      EdgeFrameGrid[x][y] = 0;
      CornerFrameGrid[x][y] = 15;
      ObjectGrid[x][y] = 0;
    }
  }
}

namespace {

void PutInt(std::vector<uint8_t>& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void PutLine(std::vector<uint8_t>& out, const std::string& s) {
  for (char c : s) out.push_back(static_cast<uint8_t>(c));
  out.push_back('\r');
  out.push_back('\n');
}

void PutGrid(std::vector<uint8_t>& out, const int grid[kLevelW][kLevelH]) {
  for (int x = 0; x < kLevelW; ++x)
    for (int y = 0; y < kLevelH; ++y) PutInt(out, grid[x][y]);
}

}  // namespace

std::vector<uint8_t> EncodeLevel(const LevelData& level) {
  std::vector<uint8_t> out;
  out.reserve(kLevelFixedBytes + level.LevelName.size() + level.LevelAuthor.size() + 4);
  PutGrid(out, level.TileGrid);
  PutGrid(out, level.EdgeFrameGrid);
  PutGrid(out, level.CornerFrameGrid);
  PutGrid(out, level.ObjectGrid);
  PutInt(out, level.AllowMovement);
  PutInt(out, level.AllowShooting);
  PutInt(out, level.AllowRope);
  PutLine(out, level.LevelName);
  PutLine(out, level.LevelAuthor);
  return out;
}

}  // namespace play
