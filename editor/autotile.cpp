#include "editor/autotile.h"

#include <algorithm>

namespace editor {

namespace {

// Edge frames by side mask (bit 0 n, 1 w, 2 e, 3 s). The frames sit on an
// 8-wide sheet: isolated, 3x3 block, horizontal run, vertical run.
constexpr int kEdgeBySides[16] = {
    0,   // none
    24,  // n
    6,   // w
    19,  // n w
    4,   // e
    17,  // n e
    5,   // w e
    18,  // n w e
    8,   // s
    16,  // n s
    3,   // w s
    11,  // n w s
    1,   // e s
    9,   // n e s
    2,   // w e s
    10,  // all
};

// Corner frames by inner-corner mask (bit 0 nw, 1 ne, 2 sw, 3 se).
constexpr int kCornerByInner[16] = {
    kNoCornerFrame,  // none
    0,   // nw
    1,   // ne
    4,   // nw ne
    2,   // sw
    7,   // nw sw
    9,   // ne sw
    10,  // nw ne sw
    3,   // se
    8,   // nw se
    5,   // ne se
    11,  // nw ne se
    6,   // sw se
    13,  // nw sw se
    12,  // ne sw se
    14,  // all four
};

}  // namespace

bool IsSameTile(const int tiles[kTileW][kTileH], int x, int y, int dx, int dy) {
  const int nx = x + dx, ny = y + dy;
  if (nx < 0 || nx >= kTileW || ny < 0 || ny >= kTileH) return true;
  return tiles[nx][ny] == tiles[x][y];
}

TileFrames ComputeTileFrames(const int tiles[kTileW][kTileH], int x, int y) {
  auto same = [&](int dx, int dy) { return IsSameTile(tiles, x, y, dx, dy); };
  const bool n = same(0, -1), w = same(-1, 0), e = same(1, 0), s = same(0, 1);
  const int sides = (n ? 1 : 0) | (w ? 2 : 0) | (e ? 4 : 0) | (s ? 8 : 0);
  // An inner corner sits where both adjoining sides continue but the
  // diagonal does not.
  int inner = 0;
  if (n && w && !same(-1, -1)) inner |= 1;
  if (n && e && !same(1, -1)) inner |= 2;
  if (s && w && !same(-1, 1)) inner |= 4;
  if (s && e && !same(1, 1)) inner |= 8;
  return {kEdgeBySides[sides], kCornerByInner[inner]};
}

void AutoTileRect(const int tiles[kTileW][kTileH], int edges[kTileW][kTileH],
                  int corners[kTileW][kTileH], int x0, int y0, int x1, int y1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, kTileW - 1);
  y1 = std::min(y1, kTileH - 1);
  for (int x = x0; x <= x1; ++x) {
    for (int y = y0; y <= y1; ++y) {
      const TileFrames f = ComputeTileFrames(tiles, x, y);
      edges[x][y] = f.edge;
      corners[x][y] = f.corner;
    }
  }
}

void AutoTileAll(const int tiles[kTileW][kTileH], int edges[kTileW][kTileH],
                 int corners[kTileW][kTileH]) {
  AutoTileRect(tiles, edges, corners, 0, 0, kTileW - 1, kTileH - 1);
}

}  // namespace editor
