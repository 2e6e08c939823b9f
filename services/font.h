// Fixed-advance bitmap font: one glyph per frame of an image strip. The font
// has one case only; texts are lower-cased before lookup.
#pragma once
#include <memory>
#include <string>

#include "platform/gfx.h"

namespace fe {

class GFont {
 public:
  plat::ImagePtr image;  // 49 frames, one glyph each
  int drawIndex = 0;     // the drawing loop's counter
  std::string text;      // unused
  int advance = 0;       // pixels from one character to the next

  static constexpr int kGlyphFrames = 49;

  // Loads "gfx/fonts/" + file as a strip of 49 cells of the given size.
  static std::shared_ptr<GFont> Load(const std::string& file, int cellW, int cellH, int advance);

  // align -1 ends the text at x, 1 centres it on x, anything else starts it
  // at x. Sets scale 1 and rotation 0; colour, alpha and blend are the
  // caller's. The fifth argument has no effect.
  void Draw(int x, int y, const std::string& text, int align = 0, int unused = 0);

  // Glyph frame of a character code (after lower-casing).
  int GlyphFrame(int code) const;
};

// Start x of a text of `length` characters drawn with this alignment.
int AlignedStartX(int x, int length, int advance, int align);

}  // namespace fe
