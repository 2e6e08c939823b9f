// The game's lettering: one hand-drawn 5x7 glyph set, used for the two font
// strips and for every picture that carries words.
#pragma once
#include <string>

#include "canvas.h"

namespace imagegen {

constexpr int kGlyphFrames = 49;
// Glyph frame of a character, as the game's font looks it up (lower-cased;
// unknown characters fall back to frame 0).
int GlyphFrame(char c);
// Sets the glyph's pixels: returns false for empty frames.
bool GlyphPixel(int frame, int x, int y);

struct TextStyle {
  int scale = 2;         // size of one glyph pixel
  int bold = 0;          // extra pixels added to the right of each stroke
  int advance = 0;       // 0: 6 * scale + bold
  Rgba top = Grey(255);  // fill gradient, top to bottom of the glyph
  Rgba bottom = Grey(205);
};

// Draws the glyphs' fill only (no outline) with the top-left of the first
// glyph cell at (x, y). Returns the width used.
int DrawText(Canvas& c, int x, int y, const std::string& text, const TextStyle& s);
int TextWidth(const std::string& text, const TextStyle& s);
// A label picture: text centred in the canvas, filled light, a dark outline
// and a soft drop shadow, ready to be tinted by the game.
void LabelPicture(Canvas& c, const std::string& text, int scale, int bold, int outline = 2);

}  // namespace imagegen
