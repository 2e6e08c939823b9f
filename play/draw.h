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
// The level in play is drawn from one picture of its background and cells,
// made at each level start (play set-up) and dropped when play is left.
void CacheLevelPicture();
void DropLevelPicture();
void RenderLevelGlow(int noMarkers, int noBackground);
plat::ImagePtr MakeThumbnail(const plat::ImagePtr& image);
void DrawGlow(float alpha);
void ShowGlowDebug();

}  // namespace play
