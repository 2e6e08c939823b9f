#include "editor/mappicture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gfx.h"
#include "play/draw.h"
#include "services/level.h"
#include "services/resources.h"

namespace editor {

namespace {

constexpr int kMapW = play::kLevelW * play::TileSize;  // 800
constexpr int kMapH = play::kLevelH * play::TileSize;  // 576
// A cell's shadow falls 2 pixels right and down into its neighbours, and
// below the map.
constexpr int kShadowReach = 2;
constexpr int kPictureH = kMapH + kShadowReach;
// The background picture's tiles: 64 pixels, the first column at x -16.
constexpr int kBackTile = 64, kBackLeft = -16;

struct Picture {
  plat::ImagePtr image;
  // The grids the picture shows.
  int tiles[play::kLevelW][play::kLevelH];
  int edges[play::kLevelW][play::kLevelH];
  int corners[play::kLevelW][play::kLevelH];
};
Picture* gPicture = nullptr;

bool CellChanged(const Picture& p, int x, int y) {
  const play::LevelVars& l = play::Level;
  return p.tiles[x][y] != l.TileGrid[x][y] || p.edges[x][y] != l.EdgeFrameGrid[x][y] ||
         p.corners[x][y] != l.CornerFrameGrid[x][y];
}

void Remember(Picture& p) {
  const play::LevelVars& l = play::Level;
  std::memcpy(p.tiles, l.TileGrid, sizeof p.tiles);
  std::memcpy(p.edges, l.EdgeFrameGrid, sizeof p.edges);
  std::memcpy(p.corners, l.CornerFrameGrid, sizeof p.corners);
}

// The background tiles that reach into the area (px, py, pw, ph).
void DrawBackground(int px = 0, int py = 0, int pw = kMapW, int ph = kMapH) {
  plat::SetColor(255, 255, 255);
  const int firstX = kBackLeft + (px - kBackLeft) / kBackTile * kBackTile;
  for (int x = firstX; x < std::min(px + pw, kMapW); x += kBackTile)
    for (int y = py / kBackTile * kBackTile; y < std::min(py + ph, kMapH); y += kBackTile)
      plat::DrawImage(fe::Res.ImgEditorTile, static_cast<float>(x), static_cast<float>(y));
}

// Draws the pixels of columns x0..x1, rows y0..y1 (and the shadows they
// cast) into the picture: every draw that reaches that area is repeated on
// the target in the map's own order and the area is read back.
bool Redraw(Picture& p, int x0, int y0, int x1, int y1) {
  const int px = play::TileSize * x0, py = play::TileSize * y0;
  const int pw = std::min(play::TileSize * (x1 + 1) + kShadowReach, kMapW) - px;
  const int ph = std::min(play::TileSize * (y1 + 1) + kShadowReach, kPictureH) - py;
  plat::SetAlpha(1);
  DrawBackground(px, py, pw, ph);
  play::DrawCells(x0 - 1, y0 - 1, x1 + 1, y1 + 1);
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  const plat::ImagePtr area = plat::GrabPixmapImage(px, py, pw, ph);
  plat::Cls();
  if (!area || area->pixels.empty()) return false;
  std::vector<uint32_t>& dst = p.image->pixels[0];
  for (int row = 0; row < ph; ++row)
    std::copy_n(area->pixels[0].begin() + static_cast<ptrdiff_t>(row) * pw, pw,
                dst.begin() + static_cast<ptrdiff_t>(py + row) * kMapW + px);
  p.image->Dirty();
  return true;
}

// Brings the picture up to the grids; false when it cannot be made.
bool Update() {
  if (!gPicture) {
    gPicture = new Picture();
    gPicture->image = plat::CreateImage(kMapW, kPictureH, 1, 0);
    if (!gPicture->image) return false;
    if (!Redraw(*gPicture, 0, 0, play::kLevelW - 1, play::kLevelH - 1)) return false;
    Remember(*gPicture);
    return true;
  }
  int x0 = play::kLevelW, y0 = play::kLevelH, x1 = -1, y1 = -1;
  for (int x = 0; x < play::kLevelW; ++x) {
    for (int y = 0; y < play::kLevelH; ++y) {
      if (!CellChanged(*gPicture, x, y)) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return true;
  if (!Redraw(*gPicture, x0, y0, x1, y1)) return false;
  Remember(*gPicture);
  return true;
}

}  // namespace

void DrawMapDirect() {
  plat::SetAlpha(1);
  DrawBackground();
  play::DrawCells();
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
}

void DrawMapPicture() {
  if (!Update()) {
    ResetMapPicture();
    DrawMapDirect();
    return;
  }
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  plat::DrawImage(gPicture->image, 0, 0);
}

void ResetMapPicture() {
  delete gPicture;
  gPicture = nullptr;
}

}  // namespace editor
