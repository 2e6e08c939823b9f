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

// The colour-cycle entry for lettering on the menus: their backdrop is a
// dark blue-grey, on which the cycle's dark blues give navy letters that
// barely show. Those entries are lifted toward white, in sixteenths, until
// their perceived brightness (sqrt(.299 r² + .587 g² + .114 b²), blue
// counting least) reaches 130; every other entry (pure red is 139) stays.
inline Rgb LegibleCycleRgb(int index) {
  const Rgb base = CycleRgb(index);
  auto bright = [](const Rgb& c) { return 299 * c.r * c.r + 587 * c.g * c.g + 114 * c.b * c.b; };
  Rgb c = base;
  for (int k = 1; k <= 16 && bright(c) < 1000 * 130 * 130; ++k)
    c = {base.r + (255 - base.r) * k / 16, base.g + (255 - base.g) * k / 16,
         base.b + (255 - base.b) * k / 16};
  return c;
}

}  // namespace play
