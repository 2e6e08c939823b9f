// Level tiles: block strips whose frames follow the automatic edge frames,
// the inner-corner overlays, and the two tiled backgrounds. Blocks are light
// greys so that the game's palette tint gives them their colour.
#include <cmath>

#include "art.h"

namespace imagegen {

namespace {

constexpr int kOut = 70, kHiTop = 255, kHiLeft = 240, kShBottom = 148, kShRight = 164;
constexpr int kBase = 212;

// Which neighbours continue for each edge frame (bit 0 n, 1 w, 2 e, 3 s);
// -1 marks frames the tiling never picks.
int SidesOfEdgeFrame(int frame) {
  static const int kEdgeBySides[16] = {0, 24, 6, 19, 4, 17, 5, 18, 8, 16, 3, 11, 1, 9, 2, 10};
  for (int m = 0; m < 16; ++m)
    if (kEdgeBySides[m] == frame) return m;
  return -1;
}

// Inner corners of each corner frame (bit 0 nw, 1 ne, 2 sw, 3 se).
int InnerOfCornerFrame(int frame) {
  static const int kCornerByInner[16] = {15, 0, 1, 4, 2, 7, 9, 10, 3, 8, 5, 11, 6, 13, 12, 14};
  for (int m = 0; m < 16; ++m)
    if (kCornerByInner[m] == frame) return m;
  return 0;
}

// A fixed speckle so large block areas are not flat; it repeats per cell.
int Speckle(int x, int y) {
  const unsigned h = unsigned(x * 73856093) ^ unsigned(y * 19349663);
  const int v = int((h >> 3) % 11);
  return v == 0 ? 14 : v == 1 ? -12 : 0;
}

int InteriorGrey(int x, int y, BlockKind kind) {
  if (kind == BlockKind::kChanger) {
    // A diamond ring in every cell marks a colour changer.
    const float d = std::fabs(x - 7.5f) + std::fabs(y - 7.5f);
    if (d >= 4.5f && d < 6.0f) return 255;
    if (d >= 3.0f && d < 4.5f) return 150;
    if (d < 1.5f) return 255;
    return 196;
  }
  return kBase + Speckle(x, y);
}

}  // namespace

void DrawBlock(Canvas& c, int ox, int oy, bool n, bool w, bool e, bool s, BlockKind kind) {
  const bool top = !n, left = !w, right = !e, bottom = !s;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool edgeT = top && y == 0, edgeL = left && x == 0;
      const bool edgeB = bottom && y == 15, edgeR = right && x == 15;
      // Round the outer corners off.
      if ((edgeT || edgeB) && (edgeL || edgeR)) continue;
      if (kind == BlockKind::kZone) {
        if (edgeT || edgeL || edgeB || edgeR) {
          c.Set(ox + x, oy + y, Grey(255, 255));
        } else {
          const bool stripe = ((x + y) & 7) < 3;
          c.Set(ox + x, oy + y, Grey(255, stripe ? 210 : 120));
        }
        continue;
      }
      int g;
      if (edgeT || edgeL || edgeB || edgeR)
        g = kOut;
      else if (top && y == 1)
        g = (right && x == 14) ? (kHiTop + kShRight) / 2 : kHiTop;
      else if (bottom && y == 14)
        g = (left && x == 1) ? (kHiLeft + kShBottom) / 2 : kShBottom;
      else if (left && x == 1)
        g = kHiLeft;
      else if (right && x == 14)
        g = kShRight;
      else
        g = InteriorGrey(x, y, kind);
      c.Set(ox + x, oy + y, Grey(g));
    }
}

namespace {

Canvas BlockStrip(BlockKind kind) {
  Canvas c(512, 16);
  for (int f = 0; f < 32; ++f) {
    const int m = SidesOfEdgeFrame(f);
    const int sides = m < 0 ? 0 : m;
    DrawBlock(c, 16 * f, 0, sides & 1, sides & 2, sides & 4, sides & 8, kind);
  }
  return c;
}

// Where two continuing sides meet around a missing diagonal, the outline and
// bevels of the neighbours must close: a 2x2 piece in that corner.
void InnerCorner(Canvas& c, int ox, int cx, int cy) {
  const int ix = cx == 0 ? 1 : 14, iy = cy == 0 ? 1 : 14;
  const int vertical = cx == 0 ? kHiLeft : kShRight;  // the neighbour above/below's side
  const int horizontal = cy == 0 ? kHiTop : kShBottom;  // the side neighbour's top/bottom
  c.Set(ox + cx, cy, Grey(kOut));
  c.Set(ox + ix, cy, Grey(vertical));
  c.Set(ox + cx, iy, Grey(horizontal));
  c.Set(ox + ix, iy, Grey((vertical + horizontal) / 2));
}

Canvas CornerStrip() {
  Canvas c(256, 16);
  for (int f = 0; f < 15; ++f) {
    const int m = InnerOfCornerFrame(f);
    if (m & 1) InnerCorner(c, 16 * f, 0, 0);
    if (m & 2) InnerCorner(c, 16 * f, 15, 0);
    if (m & 4) InnerCorner(c, 16 * f, 0, 15);
    if (m & 8) InnerCorner(c, 16 * f, 15, 15);
  }
  return c;
}

Canvas LevelBack() {
  Canvas c(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      // A soft diamond lattice every 64 px, faint cell dots every 16.
      const float d = std::fabs(float((x + 32) % 64) - 32) + std::fabs(float((y + 32) % 64) - 32);
      const float glow = std::max(0.f, 1.f - d / 40.f);
      int r = 58 + int(10 * glow), g = 64 + int(12 * glow), b = 100 + int(22 * glow);
      if (x % 16 == 0 && y % 16 == 0) r += 18, g += 20, b += 28;
      c.Set(x, y, RGB(r, g, b));
    }
  const int stars[][2] = {{21, 9}, {90, 30}, {55, 70}, {112, 101}, {8, 115}, {70, 121}};
  for (auto& s : stars) {
    c.Set(s[0], s[1], RGB(150, 160, 210));
    c.Set(s[0] + 1, s[1], RGB(80, 88, 140));
    c.Set(s[0] - 1, s[1], RGB(80, 88, 140));
    c.Set(s[0], s[1] + 1, RGB(80, 88, 140));
    c.Set(s[0], s[1] - 1, RGB(80, 88, 140));
  }
  return c;
}

Canvas EditorTile() {
  Canvas c(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      Rgba p = RGB(38, 40, 58);
      if (x % 16 == 0 || y % 16 == 0) p = RGB(52, 55, 78);
      if (x == 0 || y == 0) p = RGB(70, 74, 104);
      c.Set(x, y, p);
    }
  return c;
}

}  // namespace

void AddTileMakers(MakerTable& t) {
  t["GFX/blocks_plain5.png"] = [] { return BlockStrip(BlockKind::kPlain); };
  t["GFX/blocks_changer2.png"] = [] { return BlockStrip(BlockKind::kChanger); };
  t["GFX/blocks_zone.png"] = [] { return BlockStrip(BlockKind::kZone); };
  t["GFX/blocks_corners2.png"] = CornerStrip;
  t["GFX/level_back.png"] = LevelBack;
  t["GFX/editor_tile.png"] = EditorTile;
}

}  // namespace imagegen
