#include "services/font.h"

#include <cctype>

#include "services/resources.h"

namespace fe {

std::shared_ptr<GFont> GFont::Load(const std::string& file, int cellW, int cellH, int advance) {
  auto font = std::make_shared<GFont>();
  font->image = LoadResourceStrip("gfx/fonts/" + file, cellW, cellH, kGlyphFrames);
  font->advance = advance;
  return font;
}

int GFont::GlyphFrame(int code) const {
  if (code >= 'a' && code <= 'z') return code - 'a';
  if (code >= '0' && code <= '9') return code - 22;
  switch (code) {
    case '?': return 36;
    case '.': return 37;
    case ',': return 38;
    case '\'': return 39;
    case '"': return 40;
    case '!': return 41;
    case '(': return 42;
    case ')': return 43;
    case '-': return 44;
    case ':': return 45;
    case ';': return 46;
    case ' ': return 48;
    default: return 0;
  }
}

int AlignedStartX(int x, int length, int advance, int align) {
  const int width = length * advance;
  if (align == 1) return x - width / 2;
  if (align == -1) return x - width;
  return x;
}

void GFont::Draw(int x, int y, const std::string& s, int align, int /*unused*/) {
  plat::SetScale(1.0f, 1.0f);
  plat::SetRotation(0.0f);
  const int n = static_cast<int>(s.size());
  const int startX = AlignedStartX(x, n, advance, align);
  for (drawIndex = 0; drawIndex < n; ++drawIndex) {
    const int code = std::tolower(static_cast<unsigned char>(s[drawIndex]));
    plat::DrawImage(image, static_cast<float>(startX + drawIndex * advance),
                    static_cast<float>(y), GlyphFrame(code));
  }
}

}  // namespace fe
