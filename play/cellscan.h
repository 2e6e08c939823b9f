// Visits the level cells that a box meets, in the level's scan order
// (columns 0..49 outer, rows 0..35 inner), looking only at the columns and
// rows the box reaches. The result equals a full scan of all 1800 cells
// with the inclusive overlap test, because every cell outside the range is
// one the test would reject anyway (and BoxesOverlap still decides inside).
#pragma once
#include <algorithm>
#include <cmath>

#include "services/geometry.h"
#include "services/level.h"

namespace play {

// Blocks, changers and neutral blocks: what holds the rope hook and stops
// bullets. Zones and no-rope zones do neither.
inline bool IsSolidTile(int code) {
  const TileKind kind = KindOf(code);
  return kind == TileKind::Block || kind == TileKind::Changer || kind == TileKind::Neutral;
}

namespace detail {
// First and last index (inclusive, clamped to 0..count-1) of the cells
// along one axis that [lo, hi] meets, edges touching: cell k spans
// [16k, 16k+16], so k runs from ceil(lo/16) - 1 to floor(hi/16). Dividing
// by 16 is exact in floating point, so the bounds are exact.
inline bool CellRange(float lo, float hi, int count, int& first, int& last) {
  const float fFirst = std::ceil(lo / TileSize) - 1.0f;
  const float fLast = std::floor(hi / TileSize);
  if (fLast < 0.0f || fFirst > static_cast<float>(count - 1)) return false;
  first = fFirst < 0.0f ? 0 : static_cast<int>(fFirst);
  last = fLast > static_cast<float>(count - 1) ? count - 1 : static_cast<int>(fLast);
  return first <= last;
}
}  // namespace detail

// Calls f(i, j, tileCode) for every cell meeting the box, in scan order.
// A box with a non-finite corner meets no cell.
template <class F>
void ForEachCellMeetingBox(const LevelData& level, float x1, float y1, float x2, float y2, F&& f) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
  int i0, i1, j0, j1;
  if (!detail::CellRange(x1, x2, kLevelW, i0, i1) || !detail::CellRange(y1, y2, kLevelH, j0, j1))
    return;
  for (int i = i0; i <= i1; ++i)
    for (int j = j0; j <= j1; ++j)
      if (BoxesOverlap(x1, y1, x2, y2, static_cast<float>(TileSize * i),
                       static_cast<float>(TileSize * j), static_cast<float>(TileSize * (i + 1)),
                       static_cast<float>(TileSize * (j + 1))))
        f(i, j, level.TileGrid[i][j]);
}

}  // namespace play
