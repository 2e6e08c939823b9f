#include "services/resources.h"

#include <cmath>

#include "platform/system.h"

namespace fe {

ResourceSet Res;

namespace {

constexpr int kPalette[play::kPaletteColours][3] = {
    {254, 26, 2},  {253, 112, 1}, {254, 205, 0}, {239, 253, 1}, {167, 253, 1},
    {76, 254, 1},  {10, 254, 3},  {0, 254, 51},  {0, 254, 134}, {1, 254, 213},
    {1, 236, 253}, {1, 156, 254}, {1, 61, 263},  {8, 4, 254},   {67, 0, 253},
    {153, 0, 254}, {229, 0, 253}, {253, 0, 220}, {254, 0, 126}, {253, 0, 32},
};

struct Knot {
  int index, r, g, b;
};
// The hue gradient's fixed points; the entries between them are filled so
// each channel moves monotonically and stays on the 4-step grid.
constexpr Knot kCycleKnots[] = {
    {0, 255, 0, 0},      {40, 255, 252, 0},   {45, 224, 244, 0},   {46, 224, 244, 16},
    {69, 88, 204, 48},   {79, 24, 188, 56},   {81, 0, 180, 64},    {123, 0, 0, 152},
    {134, 0, 116, 200},  {163, 0, 236, 255},  {168, 32, 212, 255}, {188, 144, 108, 232},
    {203, 255, 12, 208}, {204, 255, 0, 208},  {228, 255, 0, 104},  {244, 255, 0, 16},
    {245, 255, 0, 0},    {255, 255, 0, 0},
};

// A value between two knot values, on the grid of multiples of 4 (255 only
// where a knot holds it).
int CycleValue(int a, int b, int step, int steps) {
  if (step == 0) return a;
  if (step == steps) return b;
  if (a == b) return a;
  const double v = a + (b - a) * static_cast<double>(step) / steps;
  int q = static_cast<int>(std::lround(v / 4.0)) * 4;
  if (q > 252) q = 252;
  if (q < 0) q = 0;
  // Never step past the far knot or back behind the near one.
  const int lo = std::min(a, b), hi = std::max(a, b);
  if (q < lo) q = lo;
  if (q > hi) q = (hi == 255 ? 252 : hi);
  return q;
}

}  // namespace

void BuildPalette() {
  for (int c = 0; c < play::kPaletteColours; ++c) {
    Res.BlockPaletteR[c] = kPalette[c][0];
    Res.BlockPaletteG[c] = kPalette[c][1];
    Res.BlockPaletteB[c] = kPalette[c][2];
  }
}

void BuildColourCycle() {
  constexpr int n = sizeof(kCycleKnots) / sizeof(kCycleKnots[0]);
  for (int k = 0; k + 1 < n; ++k) {
    const Knot& a = kCycleKnots[k];
    const Knot& b = kCycleKnots[k + 1];
    const int steps = b.index - a.index;
    for (int s = 0; s <= steps; ++s) {
      const int i = a.index + s;
      Res.ColourCycleR[i] = CycleValue(a.r, b.r, s, steps);
      Res.ColourCycleG[i] = CycleValue(a.g, b.g, s, steps);
      Res.ColourCycleB[i] = CycleValue(a.b, b.b, s, steps);
    }
  }
}

namespace {

plat::ImagePtr Required(plat::ImagePtr img, const std::string& path) {
  if (!img) plat::RuntimeError("Velkor cannot start: the picture \"" + path + "\" is missing or unreadable.");
  return img;
}

}  // namespace

plat::ImagePtr LoadResourceImage(const std::string& path) {
  return Required(plat::LoadImage(path), path);
}

plat::ImagePtr LoadResourceStrip(const std::string& path, int cellW, int cellH, int count) {
  return Required(plat::LoadAnimImage(path, cellW, cellH, 0, count), path);
}

}  // namespace fe
