// Time to draw a play frame: 1800 16x16 tiles from one strip plus 200
// rotated, alpha-blended sprites, with each renderer (run it with
// SDL_VIDEODRIVER=offscreen when there is no display).
//
// "calls" is the time spent in the drawing calls alone, "draw" the time from the first drawing call until the target holds the
// frame (a one-pixel read forces the queued work through), "present" the
// time Flip() then takes to show it (no pacing: the manual clock is on).
// Tiles and sprites are also timed alone. Every time is also a ratio to the
// presenting floor (bench/present_floor.h), measured first in the same run.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/present_floor.h"
#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/headless.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

plat::ImagePtr MakeStrip() {
  // 25 frames of 16x16 in one 400x16 strip, each a different shade.
  const int frames = 25;
  std::vector<uint32_t> px(static_cast<size_t>(frames) * 16 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < frames * 16; ++x) {
      uint32_t v = static_cast<uint32_t>((x / 16) * 10 + y * 4) & 255;
      uint32_t a = (x % 16 == 0 || y == 0) ? 128 : 255;
      px[static_cast<size_t>(y) * frames * 16 + x] = v | (255 - v) << 8 | 128u << 16 | a << 24;
    }
  }
  plat::ImagePtr sheet = plat::ImageFromPixels(frames * 16, 16, px, plat::kFilteredImage);
  plat::ImagePtr strip = plat::CreateImage(16, 16, frames, plat::kFilteredImage);
  for (int f = 0; f < frames; ++f) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        strip->pixels[f][y * 16 + x] = sheet->pixels[0][static_cast<size_t>(y) * frames * 16 + f * 16 + x];
      }
    }
  }
  strip->Dirty();
  return strip;
}

plat::ImagePtr MakeSprite() {
  std::vector<uint32_t> px(32 * 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      int d = (x - 16) * (x - 16) + (y - 16) * (y - 16);
      uint32_t a = d < 256 ? static_cast<uint32_t>(255 - d) : 0;
      px[y * 32 + x] = 0xFFu | (static_cast<uint32_t>(x * 8) << 8) | (a << 24);
    }
  }
  plat::ImagePtr img = plat::ImageFromPixels(32, 32, px, plat::kFilteredImage);
  plat::MidHandleImage(img);
  return img;
}

void DrawFrame(const plat::ImagePtr& strip, const plat::ImagePtr& sprite, int frameNo) {
  plat::Cls();
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetColor(255, 255, 255);
  for (int row = 0; strip && row < 36; ++row) {
    for (int col = 0; col < 50; ++col) {
      plat::DrawImage(strip, col * 16.0f, row * 16.0f, (row * 7 + col + frameNo) % 25);
    }
  }
  if (!sprite) return;
  plat::SetAlpha(0.8f);
  for (int i = 0; i < 200; ++i) {
    plat::SetRotation(static_cast<float>((i * 37 + frameNo * 3) % 360));
    plat::DrawImage(sprite, 20.0f + (i * 53) % 760, 20.0f + (i * 97) % 560);
  }
  plat::SetRotation(0);
  plat::SetAlpha(1);
}

double gFloorMs = 1;

void Run(int driver, const char* label) {
  plat::SetGraphicsDriver(driver);
  if (!plat::Graphics(plat::kScreenW, plat::kScreenH, 0, 60, 0)) {
    std::printf("%-9s could not open\n", label);
    return;
  }
  plat::test::UseManualClock();
  plat::ImagePtr strip = MakeStrip(), sprite = MakeSprite();
  for (int i = 0; i < 10; ++i) {  // warm-up: textures, caches
    DrawFrame(strip, sprite, i);
    plat::Flip();
  }
  struct Part {
    const char* what;
    plat::ImagePtr strip, sprite;
  } parts[] = {{"tiles+sprites", strip, sprite}, {"tiles only", strip, nullptr},
               {"sprites only", nullptr, sprite}, {"empty frame", nullptr, nullptr}};
  const int frames = 200;
  for (const Part& part : parts) {
    double calls = 0, draw = 0, present = 0;
    for (int i = 0; i < frames; ++i) {
      Clock::time_point t0 = Clock::now();
      DrawFrame(part.strip, part.sprite, i);
      calls += Ms(Clock::now() - t0);
      plat::GrabPixmapImage(0, 0, 1, 1);
      Clock::time_point t1 = Clock::now();
      plat::Flip();
      Clock::time_point t2 = Clock::now();
      draw += Ms(t1 - t0);
      present += Ms(t2 - t1);
    }
    std::printf("%-9s (%s) %-14s calls %6.3f ms  draw %7.3f ms = %5.2fx  present %7.3f ms ="
                " %5.2fx floor, per frame\n",
                label, plat::RendererName().c_str(), part.what, calls / frames, draw / frames,
                draw / frames / gFloorMs, present / frames, present / frames / gFloorMs);
  }
  plat::EndGraphics();
}

}  // namespace

int main() {
  std::vector<double> floor;
  for (int i = 0; i < 5; ++i) floor.push_back(bench::PresentingFloorMs());
  bench::PrintFloor("draw_bench", floor);
  gFloorMs = bench::Median(floor);
  std::printf("1800 strip tiles 16x16 + 200 rotated 32x32 sprites per frame\n");
  Run(plat::kDriverOpenGL, "OpenGL");
  Run(plat::kDriverSoftware, "Software");
  return 0;
}
