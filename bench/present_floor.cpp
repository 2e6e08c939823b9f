#include "bench/present_floor.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace bench {

namespace {

int SoftwareDriverIndex() {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, "software") == 0) return i;
  }
  return -1;
}

// Something other than one flat colour, so no copy can be short-cut.
void Prepare(SDL_Renderer* r, SDL_Texture* target) {
  SDL_SetRenderTarget(r, target);
  for (int y = 0; y < 600; y += 20) {
    for (int x = 0; x < 800; x += 20) {
      SDL_SetRenderDrawColor(r, static_cast<Uint8>(x / 4), static_cast<Uint8>(y / 3),
                             static_cast<Uint8>((x + y) / 6), 255);
      SDL_Rect cell{x, y, 20, 20};
      SDL_RenderFillRect(r, &cell);
    }
  }
  SDL_SetRenderTarget(r, nullptr);
}

}  // namespace

double PresentingFloorMs(int frames) {
  // Read once per video device, when the first software window surface is
  // made: whoever opens one first decides for the whole process.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return -1;
  const int index = SoftwareDriverIndex();
  SDL_Window* w = SDL_CreateWindow("present floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   800, 600, 0);
  if (!w) return -1;
  SDL_Renderer* r = index < 0 ? nullptr
                              : SDL_CreateRenderer(w, index, SDL_RENDERER_SOFTWARE |
                                                                 SDL_RENDERER_TARGETTEXTURE);
  SDL_Texture* target = r ? SDL_CreateTexture(r, SDL_PIXELFORMAT_ABGR8888,
                                              SDL_TEXTUREACCESS_TARGET, 800, 600)
                          : nullptr;
  double ms = -1;
  if (target) {
    Prepare(r, target);
    auto frame = [&] {
      SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
      SDL_RenderClear(r);
      SDL_RenderCopy(r, target, nullptr, nullptr);
      SDL_RenderPresent(r);
      SDL_Event e;
      while (SDL_PollEvent(&e)) {
      }
    };
    for (int i = 0; i < 20; ++i) frame();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) frame();
    ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() /
         frames;
  }
  if (r) SDL_DestroyRenderer(r);
  SDL_DestroyWindow(w);
  return ms;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PrintFloor(const char* who, const std::vector<double>& roundsMs) {
  std::printf("%s: presenting floor %.3f ms per frame (median of %zu rounds; bare SDL, software"
              " renderer, framebuffer acceleration off, video driver %s)\n",
              who, Median(roundsMs), roundsMs.size(),
              SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
  std::fflush(stdout);
}

}  // namespace bench
