// Level previews as PNG files: the tile grid in palette colours with the
// objects, optionally with the path a run took; and contact sheets.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "services/levelfile.h"

namespace solve {

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  Image(int w_, int h_) : w(w_), h(h_), rgb(static_cast<size_t>(w_) * h_ * 3, 0) {}
  void Put(int x, int y, int r, int g, int b);
  void Blit(const Image& src, int x0, int y0);
};

// The level at `scale` pixels per cell; the path points are play-field pixels.
Image RenderLevel(const play::LevelData& level, int scale,
                  const std::vector<std::pair<float, float>>& path = {});
bool WritePng(const Image& img, const std::string& path);

}  // namespace solve
