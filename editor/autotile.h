// Automatic edge and corner frames of the map cells, as a pure function of
// the tile grid. Cells are [x][y], 50 columns by 36 rows. A neighbour counts
// as "same" when it lies off the map or holds exactly the same tile code.
#pragma once
#include "services/levelfile.h"

namespace editor {

constexpr int kTileW = play::kLevelW;
constexpr int kTileH = play::kLevelH;
constexpr int kNoCornerFrame = 15;

struct TileFrames {
  int edge;
  int corner;
};

// Frames of one cell; reads only the tile grid.
TileFrames ComputeTileFrames(const int tiles[kTileW][kTileH], int x, int y);

// Neighbour test at offset (dx, dy) of cell (x, y).
bool IsSameTile(const int tiles[kTileW][kTileH], int x, int y, int dx, int dy);

// Recomputes the cells of columns x0..x1 and rows y0..y1 (ends included,
// clipped to the map).
void AutoTileRect(const int tiles[kTileW][kTileH], int edges[kTileW][kTileH],
                  int corners[kTileW][kTileH], int x0, int y0, int x1, int y1);
void AutoTileAll(const int tiles[kTileW][kTileH], int edges[kTileW][kTileH],
                 int corners[kTileW][kTileH]);

}  // namespace editor
