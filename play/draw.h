// Drawing of the level, one whole frame of play and the level glow of slow
// motion. The figure draws itself (Tavik::Draw).
#pragma once
#include "platform/gfx.h"
#include "services/levelfile.h"

namespace play {

void DrawLevel(int noMarkers);
// The cells of the level in memory (blocks with shadows and corners, zones)
// in columns x0..x1 and rows y0..y1, without the background or markers.
void DrawCells(int x0 = 0, int y0 = 0, int x1 = kLevelW - 1, int y1 = kLevelH - 1);
void DrawGame();
// The level's background and cells are drawn from one picture, painted
// again whenever the grids change (menus and play alike), and slow motion's
// glow from pictures painted once per level and alpha. Caching paints them
// now (play set-up) rather than in the first frame; dropping frees them.
void CacheLevelPicture();
void DropLevelPicture();
// Off: every frame is drawn as it is built, cell by cell with the glow
// stretched in place; the reference the pictures must match (tests).
void UsePaintedPictures(bool on);
void RenderLevelGlow(int noMarkers, int noBackground);
plat::ImagePtr MakeThumbnail(const plat::ImagePtr& image);
void DrawGlow(float alpha);
void ShowGlowDebug();

}  // namespace play
