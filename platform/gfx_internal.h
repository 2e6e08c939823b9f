// Shared between the platform's graphics, input and test-control sources.
// Not for game code.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx.h"

namespace plat {

// Textures of one image for the renderer that made them. A strip is one
// texture with the frames laid out in a grid, so a tile map draws from a
// single texture.
struct ImageData {
  uint64_t generation = 0;        // renderer generation the textures belong to
  SDL_Texture* tex = nullptr;
  SDL_Texture* maskTex = nullptr;  // alpha thresholded, for the mask blend
  int cols = 1, texW = 0, texH = 0;
  int border = 1;       // pixels around each cell (none in a painted image)
  bool painted = false;  // tex is a render target made by PaintImage
  bool dirty = true;
  ~ImageData();
  // Where a frame's pixels lie in tex.
  SDL_Rect Cell(const Image& img, int frame) const {
    return {(frame % cols) * (img.width + 2 * border) + border,
            (frame / cols) * (img.height + 2 * border) + border, img.width, img.height};
  }
};

namespace detail {

// Format of every texture and of the target. Images keep RGBA pixels (R in
// the low byte) and are swizzled on upload: in this layout the software
// renderer has a direct blitter for tinted, blended images and copies the
// frame to a window's 32-bit pixels without reordering them.
constexpr Uint32 kTextureFormat = SDL_PIXELFORMAT_ARGB8888;
inline uint32_t ToTextureFormat(uint32_t rgba) {
  return (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu);
}

// The global drawing state.
struct DrawState {
  int r = 255, g = 255, b = 255;
  float alpha = 1.0f;
  int blend = kAlphaBlend;
  float rotation = 0.0f;
  float scaleX = 1.0f, scaleY = 1.0f;
  float lineWidth = 1.0f;
  int autoFlags = kMaskedImage | kFilteredImage;
  int clsR = 0, clsG = 0, clsB = 0;
  // Cached rotation terms, kept in step with rotation.
  float cosR = 1.0f, sinR = 0.0f;
};

struct Video {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  // Frames drawn straight into the window's pixels rather than into target
  // (software renderer, window exactly the frame's size): the copy that
  // presents target would change nothing.
  bool direct = false;
  int targetW = kScreenW, targetH = kScreenH;
  // Size of what drawing goes into now: the target, or an image being painted.
  int drawW = kScreenW, drawH = kScreenH;
  int painting = 0;  // PaintImage calls under way
  // A Cls of the target not yet done: the first drawing into the target
  // does it, unless that drawing replaces every pixel anyway.
  bool clearPending = false;
  SDL_Color clearColour{0, 0, 0, 255};
  int driverChoice = kDriverDefault;
  int defaultFlags = 0;
  bool isOpenGL = false;
  bool vsync = false;
  int hz = 60;
  uint64_t generation = 0;  // bumped whenever a renderer is made
  std::string title = "Velkor";
  std::string rendererName;
  std::string openError;  // why the last Graphics call failed
  bool pointerHidden = false;
  // Frame pacing (milliseconds on the performance counter).
  double nextFrameMs = 0, lastFlipMs = 0;
};

DrawState& Draw();
Video& Vid();
void ResetDrawState();

// Pushes queued sprite and shape vertices to SDL; needed before anything
// that reads or changes the target outside the batch.
void FlushBatch();
// Does a pending Cls of the target; every drawing and reading call makes
// sure of it first.
void SettleClear();

// Where the target lands in an output of outW x outH (aspect kept, centred).
SDL_Rect LetterboxRect(int outW, int outH, int targetW, int targetH);
// Window coordinates to target pixels, clamped to the target.
void WindowToTarget(int winW, int winH, int targetW, int targetH, int wx, int wy, int& tx,
                    int& ty);

// Input, fed by window events and by tests.
void KeyEvent(int vk, bool down, bool repeat);
void PushChar(int ch);
// A character sent by the key last pressed or repeated (dropped when that key
// was held since FlushTyping).
void PushKeyText(int ch);
void MouseButtonEvent(int button, bool down);
// Wheel notches, positive up.
void MouseWheelEvent(int notches);
void MouseMoveTarget(int x, int y);
void RequestTerminate();
void ResetInput();
void ReleaseHeld();
// Windows virtual-key code for an SDL key, 0 when it has none.
int VirtualKeyFor(SDL_Scancode sc, SDL_Keycode key);
// Character a US keyboard types for the key (shift state given), 0 for none.
int CharForKey(int vk, bool shift);

// Clock hooks used by Flip().
bool ManualClockActive();
void StepManualClockForFlip();
void ResetClock();

// Test frame hook, run at the start of every Flip() and each wait pass.
void RunFrameHook();
void ResetHeadless();

}  // namespace detail
}  // namespace plat
