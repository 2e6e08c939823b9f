// Drawing of the level, one whole frame of play and the level glow of slow
// motion. The figure draws itself (Tavik::Draw).
#pragma once
#include "platform/gfx.h"

namespace play {

void DrawLevel(int noMarkers);
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
