// The ".doy" level file: four 50x36 int32 grids stored column by column,
// three int32 flags, then the level's name and author as CR LF lines.
// Little-endian, no header. This is the single encoder/decoder of the format;
// the level loader, the editor's writer and the level compiler all use it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {
class Stream;
}

namespace play {

constexpr int kLevelW = 50;
constexpr int kLevelH = 36;
constexpr int kGridBytes = kLevelW * kLevelH * 4;   // 7200
constexpr int kLevelFixedBytes = 4 * kGridBytes + 12;  // 28812: grids and flags
// Characters of a level's name or author: what the editor's fields take, and
// what is read of each line.
constexpr int kLevelTextMax = 20;

struct LevelData {
  int TileGrid[kLevelW][kLevelH];
  int EdgeFrameGrid[kLevelW][kLevelH];
  int CornerFrameGrid[kLevelW][kLevelH];
  int ObjectGrid[kLevelW][kLevelH];
  int AllowMovement = 1;
  int AllowShooting = 0;
  int AllowRope = 0;
  std::string LevelName;
  std::string LevelAuthor;

  // A cleared level: every tile empty (-1), edge frame 0, corner frame 15
  // (no inner corner), no objects.
  LevelData() { Clear(); }
  void Clear();
};

// Byte offset of cell (x, y) within one grid of the file.
constexpr int CellOffset(int x, int y) { return 4 * (kLevelH * x + y); }

// Characters are stored as their low 8 bits.
std::vector<uint8_t> EncodeLevel(const LevelData& level);
// Reads the layout in file order. Reads past the end of the stream give 0 for
// every integer and "" for every text, so short data loads as zeros. The
// grids, flags and texts are all overwritten.
void DecodeLevel(plat::Stream& in, LevelData& level);
void DecodeLevel(const std::vector<uint8_t>& bytes, LevelData& level);

}  // namespace play
