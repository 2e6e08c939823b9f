#include "canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace imagegen {

Rgba Mix(Rgba a, Rgba b, float t) {
  auto m = [t](int x, int y) { return uint8_t(std::lround(x + (y - x) * t)); };
  return Rgba{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

void Canvas::Blend(int x, int y, Rgba c) {
  if (!In(x, y) || c.a == 0) return;
  Rgba& d = px_[size_t(y) * w_ + x];
  const float sa = c.a / 255.f, da = d.a / 255.f;
  const float oa = sa + da * (1 - sa);
  if (oa <= 0) {
    d = kClear;
    return;
  }
  auto ch = [&](int s, int dd) {
    return uint8_t(std::lround((s * sa + dd * da * (1 - sa)) / oa));
  };
  d = Rgba{ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), uint8_t(std::lround(oa * 255))};
}

void Canvas::Fill(Rgba c) { std::fill(px_.begin(), px_.end(), c); }

void Canvas::Rect(int x, int y, int w, int h, Rgba c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void Canvas::FrameRect(int x, int y, int w, int h, Rgba c) {
  Rect(x, y, w, 1, c);
  Rect(x, y + h - 1, w, 1, c);
  Rect(x, y, 1, h, c);
  Rect(x + w - 1, y, 1, h, c);
}

void Canvas::Line(int x0, int y0, int x1, int y1, Rgba c) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Set(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void Canvas::Disc(float cx, float cy, float rx, float ry, Rgba c) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const float u = (x + 0.5f - cx) / rx, v = (y + 0.5f - cy) / ry;
      if (u * u + v * v <= 1.0f) Set(x, y, c);
    }
}

void Canvas::Glow(float cx, float cy, float rx, float ry, Rgba c) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const float u = (x + 0.5f - cx) / rx, v = (y + 0.5f - cy) / ry;
      const float d = std::sqrt(u * u + v * v);
      if (d >= 1.0f) continue;
      const float k = (1 - d) * (1 - d);
      Blend(x, y, Rgba{c.r, c.g, c.b, uint8_t(std::lround(c.a * k))});
    }
}

void Canvas::Map(int x, int y, const std::vector<std::string>& rows, const std::string& keys,
                 const std::vector<Rgba>& cols) {
  for (size_t j = 0; j < rows.size(); ++j)
    for (size_t i = 0; i < rows[j].size(); ++i) {
      const size_t k = keys.find(rows[j][i]);
      if (k != std::string::npos && k < cols.size()) Set(x + int(i), y + int(j), cols[k]);
    }
}

void Canvas::Outline(Rgba c, bool diagonal, int times) {
  for (int t = 0; t < times; ++t) {
    std::vector<std::pair<int, int>> ring;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        if (Opaque(x, y)) continue;
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy)
          for (int dx = -1; dx <= 1 && !near; ++dx) {
            if (!diagonal && dx != 0 && dy != 0) continue;
            near = Opaque(x + dx, y + dy);
          }
        if (near) ring.emplace_back(x, y);
      }
    for (auto [x, y] : ring) Set(x, y, c);
  }
}

void Canvas::Shadow(int dx, int dy, Rgba c) {
  Canvas under(w_, h_);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      if (Opaque(x, y)) under.Set(x + dx, y + dy, c);
  under.Blit(*this, 0, 0);
  *this = under;
}

void Canvas::Blit(const Canvas& src, int dx, int dy) {
  for (int y = 0; y < src.h_; ++y)
    for (int x = 0; x < src.w_; ++x) Blend(x + dx, y + dy, src.Get(x, y));
}

void Canvas::ShadeVertical(int y0, int y1, int top, int bottom) {
  for (int y = 0; y < h_; ++y) {
    const float t = y1 > y0 ? std::clamp((y - y0) / float(y1 - y0), 0.f, 1.f) : 0.f;
    const float k = (top + (bottom - top) * t) / 255.f;
    for (int x = 0; x < w_; ++x) {
      Rgba& p = px_[size_t(y) * w_ + x];
      if (!p.a) continue;
      p.r = uint8_t(p.r * k);
      p.g = uint8_t(p.g * k);
      p.b = uint8_t(p.b * k);
    }
  }
}

bool Canvas::SavePng(const std::string& path) const {
  // libpng's simplified writer reports failure by its result, as the
  // platform's own writer uses it: no longjmp can cross this function.
  static_assert(sizeof(Rgba) == 4, "the pixels are handed over as r, g, b, a bytes");
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w_);
  image.height = png_uint_32(h_);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, px_.data(), 0, nullptr) != 0;
}

}  // namespace imagegen
