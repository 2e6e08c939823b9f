// A small RGBA drawing surface for the asset generator.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace imagegen {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};
constexpr Rgba kClear{0, 0, 0, 0};
inline constexpr Rgba Grey(int v, int a = 255) {
  return Rgba{uint8_t(v), uint8_t(v), uint8_t(v), uint8_t(a)};
}
inline constexpr Rgba RGB(int r, int g, int b, int a = 255) {
  return Rgba{uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)};
}
Rgba Mix(Rgba a, Rgba b, float t);

class Canvas {
 public:
  Canvas() = default;
  Canvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * h) {}
  int W() const { return w_; }
  int H() const { return h_; }
  bool In(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  Rgba Get(int x, int y) const { return In(x, y) ? px_[size_t(y) * w_ + x] : kClear; }
  void Set(int x, int y, Rgba c) {
    if (In(x, y)) px_[size_t(y) * w_ + x] = c;
  }
  // Source-over blend.
  void Blend(int x, int y, Rgba c);
  bool Opaque(int x, int y) const { return Get(x, y).a > 0; }

  void Fill(Rgba c);
  void Rect(int x, int y, int w, int h, Rgba c);
  void FrameRect(int x, int y, int w, int h, Rgba c);
  void Line(int x0, int y0, int x1, int y1, Rgba c);
  // Filled ellipse inside the box, hard edged.
  void Disc(float cx, float cy, float rx, float ry, Rgba c);
  // Soft radial glow: alpha falls from `a` at the centre to 0 at radius.
  void Glow(float cx, float cy, float rx, float ry, Rgba c);
  // Pixel map: each character picks a colour from `keys`/`cols`; '.' and ' '
  // are left alone.
  void Map(int x, int y, const std::vector<std::string>& rows, const std::string& keys,
           const std::vector<Rgba>& cols);
  // Paints `c` on every clear pixel next to a drawn one (4- or 8-neighbours),
  // `times` rings thick.
  void Outline(Rgba c, bool diagonal = true, int times = 1);
  // Drop shadow: copies the drawn pixels' shape offset by (dx, dy) beneath.
  void Shadow(int dx, int dy, Rgba c);
  void Blit(const Canvas& src, int dx, int dy);
  // Multiplies the colour of drawn pixels by a vertical gradient of greys.
  void ShadeVertical(int y0, int y1, int top, int bottom);

  bool SavePng(const std::string& path) const;
  const std::vector<Rgba>& Pixels() const { return px_; }

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

}  // namespace imagegen
