// The editor's map (its background and every cell) kept as one picture.
// Drawing 1800 cells with their shadows and corners costs a frame many
// times over; the picture is redrawn only where the grids changed since the
// last frame, so a frame of the editor draws one image for the whole map.
#pragma once

namespace editor {

// Draws the map at (0, 0) as the cells would draw it; leaves white, alpha 1.
// Call on a cleared target: the region of changed cells is drawn there
// first, read back and the target cleared again.
void DrawMapPicture();
// The map drawn cell by cell, every frame (the picture's reference).
void DrawMapDirect();
// Forgets the picture (tests, a lost render target).
void ResetMapPicture();

}  // namespace editor
