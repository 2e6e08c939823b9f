// Outlines and ovals that the popup, the level selects and the text field
// draw.
#pragma once

namespace play {

void DrawRectOutline(int x, int y, int w, int h);
void DrawCenteredOval(float x, float y, float w, float h);

}  // namespace play
