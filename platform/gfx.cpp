// Window, renderer, frame pacing and the global drawing state.
#include "platform/gfx.h"

#include <SDL.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "platform/clock.h"
#include "platform/gfx_internal.h"
#include "platform/input.h"

namespace plat {
namespace detail {

// Never destroyed: images released during program exit still look here.
DrawState& Draw() {
  static DrawState* s = new DrawState;
  return *s;
}
Video& Vid() {
  static Video* v = new Video;
  return *v;
}

void ResetDrawState() { Draw() = DrawState{}; }

SDL_Rect LetterboxRect(int outW, int outH, int targetW, int targetH) {
  if (outW <= 0 || outH <= 0 || targetW <= 0 || targetH <= 0) return {0, 0, targetW, targetH};
  double scale = std::min(static_cast<double>(outW) / targetW, static_cast<double>(outH) / targetH);
  int w = static_cast<int>(std::lround(targetW * scale));
  int h = static_cast<int>(std::lround(targetH * scale));
  return {(outW - w) / 2, (outH - h) / 2, w, h};
}

void WindowToTarget(int winW, int winH, int targetW, int targetH, int wx, int wy, int& tx,
                    int& ty) {
  SDL_Rect r = LetterboxRect(winW, winH, targetW, targetH);
  double fx = (wx - r.x) * static_cast<double>(targetW) / std::max(r.w, 1);
  double fy = (wy - r.y) * static_cast<double>(targetH) / std::max(r.h, 1);
  tx = std::clamp(static_cast<int>(std::floor(fx)), 0, targetW - 1);
  ty = std::clamp(static_cast<int>(std::floor(fy)), 0, targetH - 1);
}

namespace {

double NowMs() {
  return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 /
         static_cast<double>(SDL_GetPerformanceFrequency());
}

int RenderDriverIndex(const char* name) {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, name) == 0) return i;
  }
  return -1;
}

// Vsync paces only when the display really runs near the game's rate.
bool DisplayMatchesRate(SDL_Window* w, int hz) {
  SDL_DisplayMode mode;
  int display = SDL_GetWindowDisplayIndex(w);
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return false;
  return mode.refresh_rate != 0 && std::abs(mode.refresh_rate - hz) <= 1;
}

// A full-screen window is made covering its display from the start. With a
// window manager that changes nothing; without one nobody acts on the
// full-screen request, and a window made at the mode's size would stay
// that small while SDL takes the display's size for its size.
void FullScreenPlace(SDL_Rect& place, Uint32& flags) {
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) return;
  place = bounds;
  flags |= SDL_WINDOW_BORDERLESS;
}

// Where the next frame is drawn. The software renderer can draw into the
// window itself when the window is the frame's size and keeps 32-bit pixels
// in the target's channel order: blending there gives the same pixels, and
// what it draws stays readable after it is shown. OpenGL always draws into
// target, whose pixels, unlike a back buffer's, outlast the present.
void ChooseFrameTarget() {
  Video& v = Vid();
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(v.renderer, &ow, &oh);
  const Uint32 format = SDL_GetWindowPixelFormat(v.window);
  v.direct = !v.isOpenGL && ow == v.targetW && oh == v.targetH &&
             (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888);
  SDL_SetRenderTarget(v.renderer, v.direct ? nullptr : v.target);
}

bool TryOpen(const char* driver, int width, int height, bool fullScreen) {
  Video& v = Vid();
  int index = RenderDriverIndex(driver);
  if (index < 0) return false;
  bool gl = SDL_strcmp(driver, "opengl") == 0;
  Uint32 wflags = (gl ? SDL_WINDOW_OPENGL : 0) | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
  if (fullScreen) FullScreenPlace(place, wflags);
  v.window = SDL_CreateWindow(v.title.c_str(), place.x, place.y, place.w, place.h, wflags);
  if (!v.window) return false;
  Uint32 rflags = SDL_RENDERER_TARGETTEXTURE |
                  (gl ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE);
  if (DisplayMatchesRate(v.window, v.hz)) rflags |= SDL_RENDERER_PRESENTVSYNC;
  v.renderer = SDL_CreateRenderer(v.window, index, rflags);
  if (v.renderer) {
    v.target = SDL_CreateTexture(v.renderer, kTextureFormat, SDL_TEXTUREACCESS_TARGET,
                                 width, height);
  }
  if (!v.target) {
    if (v.renderer) SDL_DestroyRenderer(v.renderer);
    SDL_DestroyWindow(v.window);
    v.renderer = nullptr;
    v.window = nullptr;
    return false;
  }
  SDL_RendererInfo info;
  SDL_GetRendererInfo(v.renderer, &info);
  v.rendererName = info.name;
  v.isOpenGL = gl;
  v.vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  SDL_SetTextureBlendMode(v.target, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(v.target, SDL_ScaleModeLinear);
  ChooseFrameTarget();
  return true;
}

// Sleeps to a fraction of a millisecond before the time on the performance
// counter's clock and waits out the rest: a sleep may end late, and a whole
// millisecond of waiting every frame costs the main thread a few percent.
void SleepUntil(double ms) {
  constexpr double kSpinMs = 0.2;
  const double sleep = ms - kSpinMs - NowMs();
  if (sleep > 0) {
    const double whole = std::floor(sleep / 1000.0);
    timespec ts{static_cast<time_t>(whole), static_cast<long>((sleep - whole * 1000.0) * 1e6)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
  }
  while (NowMs() < ms) {
  }
}

void PaceFrame() {
  Video& v = Vid();
  double period = 1000.0 / (v.hz > 0 ? v.hz : 60);
  double now = NowMs();
  if (v.vsync && now - v.lastFlipMs >= period * 0.75) {
    // The present already waited for the display.
    v.lastFlipMs = now;
    v.nextFrameMs = now + period;
    return;
  }
  // Our own schedule: a fixed 1/60 s grid, so frames do not drift; after a
  // long stall the grid restarts instead of racing to catch up.
  if (v.nextFrameMs == 0 || now - v.nextFrameMs > 100) v.nextFrameMs = now;
  v.nextFrameMs += period;
  SleepUntil(v.nextFrameMs);
  v.lastFlipMs = NowMs();
}

void PresentTarget() {
  Video& v = Vid();
  SettleClear();
  FlushBatch();
  if (v.direct) {
    SDL_RenderPresent(v.renderer);
    ChooseFrameTarget();
    return;
  }
  SDL_SetRenderTarget(v.renderer, nullptr);
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(v.renderer, &ow, &oh);
  SDL_Rect dst = LetterboxRect(ow, oh, v.targetW, v.targetH);
  // The bars only: where the frame lands, the copy replaces every pixel.
  if (dst.x > 0 || dst.y > 0 || dst.w < ow || dst.h < oh) {
    SDL_SetRenderDrawColor(v.renderer, 0, 0, 0, 255);
    SDL_RenderClear(v.renderer);
  }
  SDL_RenderCopy(v.renderer, v.target, nullptr, &dst);
  SDL_RenderPresent(v.renderer);
  ChooseFrameTarget();
}

}  // namespace

void SettleClear() {
  Video& v = Vid();
  if (!v.clearPending || !v.renderer) return;
  v.clearPending = false;
  SDL_SetRenderDrawColor(v.renderer, v.clearColour.r, v.clearColour.g, v.clearColour.b, 255);
  SDL_RenderClear(v.renderer);
}

}  // namespace detail

using detail::Draw;
using detail::Vid;
using detail::Video;

void SetGraphicsDriver(int choice, int defaultFlags) {
  Video& v = Vid();
  v.driverChoice = (choice == kDriverOpenGL || choice == kDriverSoftware) ? choice : kDriverDefault;
  v.defaultFlags = defaultFlags;
}

int GraphicsDriver() { return Vid().driverChoice; }

std::string RendererName() { return Vid().rendererName; }

bool Graphics(int width, int height, int depth, int hz, int flags) {
  EndGraphics();
  Video& v = Vid();
  v.openError = "no size " + std::to_string(width) + "x" + std::to_string(height);
  if (width <= 0 || height <= 0) return false;
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    v.openError = SDL_GetError();
    return false;
  }
  // The software renderer writes the window's pixels itself; left on, SDL
  // would present them through an OpenGL texture, bringing a GL driver
  // (and its shader compiler) into the process for one copy a frame. SDL
  // reads it once, at the first software window.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  v.hz = hz > 0 ? hz : 60;
  v.targetW = v.drawW = width;
  v.targetH = v.drawH = height;
  // The chosen renderer first; the other one when it cannot start (no GL).
  const char* order[2] = {"opengl", "software"};
  if (v.driverChoice == kDriverSoftware) std::swap(order[0], order[1]);
  bool ok = false;
  for (const char* name : order) {
    if ((ok = detail::TryOpen(name, width, height, depth != 0))) break;
  }
  if (!ok) {
    v.openError = SDL_GetError();
    return false;
  }
  v.openError.clear();
  ++v.generation;
  v.nextFrameMs = v.lastFlipMs = 0;
  SDL_ShowCursor(v.pointerHidden ? SDL_DISABLE : SDL_ENABLE);
  SDL_StartTextInput();
  Cls();
  return true;
}

void EndGraphics() {
  Video& v = Vid();
  if (!v.window) return;
  detail::FlushBatch();
  SDL_StopTextInput();
  // Destroying the renderer frees every texture made with it.
  SDL_DestroyRenderer(v.renderer);
  SDL_DestroyWindow(v.window);
  v.window = nullptr;
  v.renderer = nullptr;
  v.target = nullptr;
  v.direct = false;
  v.clearPending = false;
  v.rendererName.clear();
  v.isOpenGL = v.vsync = false;
  ++v.generation;
}

bool GraphicsOpen() { return Vid().renderer != nullptr; }

std::string GraphicsError() { return Vid().openError; }

void SetWindowTitle(const std::string& title) {
  Vid().title = title;
  if (Vid().window) SDL_SetWindowTitle(Vid().window, title.c_str());
}

std::string WindowTitle() { return Vid().title; }

void HidePointer() {
  Vid().pointerHidden = true;
  if (Vid().window) SDL_ShowCursor(SDL_DISABLE);
}

void ShowPointer() {
  Vid().pointerHidden = false;
  if (Vid().window) SDL_ShowCursor(SDL_ENABLE);
}

void SetClsColor(int r, int g, int b) {
  Draw().clsR = std::clamp(r, 0, 255);
  Draw().clsG = std::clamp(g, 0, 255);
  Draw().clsB = std::clamp(b, 0, 255);
}

void Cls() {
  Video& v = Vid();
  if (!v.renderer) return;
  detail::FlushBatch();
  const detail::DrawState& s = Draw();
  v.clearColour = {static_cast<Uint8>(s.clsR), static_cast<Uint8>(s.clsG),
                   static_cast<Uint8>(s.clsB), 255};
  v.clearPending = true;
  if (v.painting) detail::SettleClear();  // an image being painted is cleared at once
}

void Flip() {
  detail::RunFrameHook();
  if (Vid().renderer) detail::PresentTarget();
  if (detail::ManualClockActive()) {
    detail::StepManualClockForFlip();
  } else {
    detail::PaceFrame();
  }
  PollSystem();
}

void SetColor(int r, int g, int b) {
  Draw().r = std::clamp(r, 0, 255);
  Draw().g = std::clamp(g, 0, 255);
  Draw().b = std::clamp(b, 0, 255);
}

void GetColor(int& r, int& g, int& b) {
  r = Draw().r;
  g = Draw().g;
  b = Draw().b;
}

void SetAlpha(float a) { Draw().alpha = a; }
float GetAlpha() { return Draw().alpha; }

void SetBlend(int mode) {
  if (mode >= kMaskBlend && mode <= kShadeBlend) Draw().blend = mode;
}
int GetBlend() { return Draw().blend; }

void SetRotation(float degrees) {
  detail::DrawState& s = Draw();
  s.rotation = degrees;
  double rad = static_cast<double>(degrees) * M_PI / 180.0;
  // Quarter turns come out exact, so rotated sprites land on whole pixels.
  double c = std::cos(rad), sn = std::sin(rad);
  s.cosR = static_cast<float>(std::abs(c) < 1e-12 ? 0.0 : c);
  s.sinR = static_cast<float>(std::abs(sn) < 1e-12 ? 0.0 : sn);
}
float GetRotation() { return Draw().rotation; }

void SetScale(float sx, float sy) {
  Draw().scaleX = sx;
  Draw().scaleY = sy;
}
void GetScale(float& sx, float& sy) {
  sx = Draw().scaleX;
  sy = Draw().scaleY;
}

void SetLineWidth(float w) { Draw().lineWidth = w; }
float GetLineWidth() { return Draw().lineWidth; }

void SetAutoImageFlags(int flags) { Draw().autoFlags = flags; }
int AutoImageFlags() { return Draw().autoFlags; }

namespace gl {
namespace {
template <typename Fn>
Fn GLProc(const char* name) {
  if (!Vid().isOpenGL || !Vid().renderer) return nullptr;
  detail::FlushBatch();
  SDL_RenderFlush(Vid().renderer);
  return reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
}
}  // namespace

void Enable(unsigned cap) {
  if (auto fn = GLProc<void (*)(unsigned)>("glEnable")) fn(cap);
}

void Hint(unsigned target, unsigned mode) {
  if (auto fn = GLProc<void (*)(unsigned, unsigned)>("glHint")) fn(target, mode);
}

void LineWidth(float w) {
  SetLineWidth(w);
  if (auto fn = GLProc<void (*)(float)>("glLineWidth")) fn(w);
}
}  // namespace gl

}  // namespace plat
