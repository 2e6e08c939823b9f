// The block palette's colour of an index, for tinting by a figure's or a
// tile's colour. A colour outside 0..19 (damaged data) gives white rather
// than reading past the palette.
#pragma once
#include "frontend/resources.h"

namespace play {

struct Rgb {
  int r = 255, g = 255, b = 255;
};

inline Rgb PaletteRgb(int colour) {
  if (colour < 0 || colour > 19) return {};
  return {fe::Res.BlockPaletteR[colour], fe::Res.BlockPaletteG[colour],
          fe::Res.BlockPaletteB[colour]};
}

}  // namespace play
