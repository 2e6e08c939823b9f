#include "preview.h"

#include "services/resources.h"
#include "services/tiles.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace solve {

namespace {

// The game's block palette, clamped to a byte as the drawing colour is.
std::array<int, 3> Pal(int c) {
  static const bool built = (fe::BuildPalette(), true);
  (void)built;
  const fe::ResourceSet& r = fe::Res;
  return {std::min(r.BlockPaletteR[c], 255), std::min(r.BlockPaletteG[c], 255),
          std::min(r.BlockPaletteB[c], 255)};
}

void Cell(Image& img, int x0, int y0, int s, int code, int obj) {
  for (int dy = 0; dy < s; ++dy)
    for (int dx = 0; dx < s; ++dx) {
      const bool edge = dx == 0 || dy == 0 || dx == s - 1 || dy == s - 1;
      const bool mid = dx >= s / 4 && dx < s - s / 4 && dy >= s / 4 && dy < s - s / 4;
      int r = 16, g = 18, b = 28;
      switch (play::KindOf(code)) {
        case play::TileKind::Block: {
          const auto p = Pal(play::TileColour(code));
          r = edge ? p[0] / 2 : p[0], g = edge ? p[1] / 2 : p[1], b = edge ? p[2] / 2 : p[2];
          break;
        }
        case play::TileKind::Changer: {
          const auto p = Pal(play::TileColour(code));
          r = mid ? 255 : p[0], g = mid ? 255 : p[1], b = mid ? 255 : p[2];
          if (edge) r = g = b = 255;
          break;
        }
        case play::TileKind::Zone: {
          const auto p = Pal(play::TileColour(code));
          r = 16 + p[0] * 2 / 5, g = 18 + p[1] * 2 / 5, b = 28 + p[2] * 2 / 5;
          break;
        }
        case play::TileKind::Neutral:
          r = g = b = edge ? 90 : 150;
          break;
        case play::TileKind::NoRope:
          r = g = b = ((dx + dy) % 4 == 0) ? 110 : 45;
          break;
        case play::TileKind::Empty:
          break;
      }
      if (obj == play::kObjStart && mid) r = 0, g = 255, b = 0;
      if (obj == play::kObjExit && (edge || (dx == s / 2))) r = g = b = 255;
      if (obj == play::kObjCoin) {
        const int cx = 2 * dx - s + 1, cy = 2 * dy - s + 1;
        if (cx * cx + cy * cy <= (s - 2) * (s - 2)) r = 255, g = 215, b = 0;
      }
      img.Put(x0 + dx, y0 + dy, r, g, b);
    }
}

}  // namespace

void Image::Put(int x, int y, int r, int g, int b) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
  p[0] = static_cast<unsigned char>(std::clamp(r, 0, 255));
  p[1] = static_cast<unsigned char>(std::clamp(g, 0, 255));
  p[2] = static_cast<unsigned char>(std::clamp(b, 0, 255));
}

void Image::Blit(const Image& src, int x0, int y0) {
  for (int y = 0; y < src.h; ++y)
    for (int x = 0; x < src.w; ++x) {
      const unsigned char* p = &src.rgb[(static_cast<size_t>(y) * src.w + x) * 3];
      Put(x0 + x, y0 + y, p[0], p[1], p[2]);
    }
}

Image RenderLevel(const play::LevelData& level, int scale,
                  const std::vector<std::pair<float, float>>& path) {
  Image img(play::kLevelW * scale, play::kLevelH * scale);
  for (int x = 0; x < play::kLevelW; ++x)
    for (int y = 0; y < play::kLevelH; ++y)
      Cell(img, x * scale, y * scale, scale, level.TileGrid[x][y], level.ObjectGrid[x][y]);
  for (const auto& [px, py] : path) {
    const int x = static_cast<int>(px * scale / 16), y = static_cast<int>((py - 8) * scale / 16);
    img.Put(x, y, 255, 255, 255);
    img.Put(x + 1, y, 255, 255, 255);
  }
  return img;
}

bool WritePng(const Image& img, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, img.w, img.h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < img.h; ++y)
    png_write_row(png, const_cast<png_bytep>(&img.rgb[static_cast<size_t>(y) * img.w * 3]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

}  // namespace solve
