// The block palette's colour of an index, for tinting by a figure's or a
// tile's colour. An index outside the palette (damaged data) gives white
// rather than reading past the table.
#pragma once
#include "platform/gfx.h"
#include "services/resources.h"
#include "services/tiles.h"

namespace play {

struct Rgb {
  int r = 255, g = 255, b = 255;
};

inline bool IsPaletteColour(int colour) { return colour >= 0 && colour < kPaletteColours; }

inline Rgb PaletteRgb(int colour) {
  if (!IsPaletteColour(colour)) return {};
  return {fe::Res.BlockPaletteR[colour], fe::Res.BlockPaletteG[colour],
          fe::Res.BlockPaletteB[colour]};
}

// Sets the drawing colour to the palette entry; an index outside the
// palette leaves the colour as it was.
inline void SetPaletteColour(int colour) {
  if (IsPaletteColour(colour))
    plat::SetColor(fe::Res.BlockPaletteR[colour], fe::Res.BlockPaletteG[colour],
                   fe::Res.BlockPaletteB[colour]);
}

// The colour-cycle entry of an index (taken modulo 256).
inline Rgb CycleRgb(int index) {
  const int i = index & 255;
  return {fe::Res.ColourCycleR[i], fe::Res.ColourCycleG[i], fe::Res.ColourCycleB[i]};
}

}  // namespace play
