// Window, graphics mode, images and the global drawing state.
//
// Everything is drawn into an 800x600 render target that Flip() presents
// letterboxed, so full screen works on any monitor and grabs read the
// target, not the window. Coordinates are target pixels.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// Driver choices as stored in the settings file. "Direct3D 7" has no Linux
// equivalent; SDL's software renderer stands in for it.
enum DriverChoice { kDriverDefault = 0, kDriverOpenGL = 1, kDriverSoftware = 2 };

enum BlendMode { kMaskBlend = 1, kSolidBlend = 2, kAlphaBlend = 3, kLightBlend = 4, kShadeBlend = 5 };

// Image flags: kFilteredImage smooths scaled/rotated images.
enum ImageFlags { kMaskedImage = 1, kFilteredImage = 2, kMipmappedImage = 4 };

// Selects the renderer for the next Graphics() call (0 keeps the default).
void SetGraphicsDriver(int choice, int defaultFlags = 0);
int GraphicsDriver();
// The SDL renderer really in use ("opengl", "software"), "" with no
// window; the chosen one falls back to the other when it cannot start.
std::string RendererName();
// Opens the window (depth 0) or full screen (depth 32). Returns false on
// failure; the caller decides whether that matters.
bool Graphics(int width, int height, int depth, int hz, int flags);
void EndGraphics();
bool GraphicsOpen();
// Why the last Graphics call failed ("" after a success).
std::string GraphicsError();
void SetWindowTitle(const std::string& title);
std::string WindowTitle();
void HidePointer();
void ShowPointer();

void SetClsColor(int r, int g, int b);
void Cls();
// Presents the frame, pumps window events and waits for the next 1/60 s.
void Flip();

// Drawing state. Colour channels are clamped to 0..255.
void SetColor(int r, int g, int b);
void GetColor(int& r, int& g, int& b);
void SetAlpha(float a);
float GetAlpha();
void SetBlend(int mode);
int GetBlend();
void SetRotation(float degrees);
float GetRotation();
void SetScale(float sx, float sy);
void GetScale(float& sx, float& sy);
void SetLineWidth(float w);
float GetLineWidth();
void SetAutoImageFlags(int flags);
int AutoImageFlags();

struct ImageData;  // renderer-side detail
struct Image {
  int width = 0, height = 0;         // one frame
  int frames = 0;
  float handleX = 0, handleY = 0;
  int flags = 0;
  std::vector<std::vector<uint32_t>> pixels;  // RGBA8888 (R in low byte) per frame
  std::shared_ptr<ImageData> data;   // textures, rebuilt when pixels change
  std::string path;                  // file it came from, for messages
  void Dirty();                      // call after changing pixels
};
using ImagePtr = std::shared_ptr<Image>;

// flags -1 means "use the automatic image flags". Return nullptr when the
// file is missing or not a PNG.
ImagePtr LoadImage(const std::string& path, int flags = -1);
ImagePtr LoadAnimImage(const std::string& path, int cellW, int cellH, int first, int count,
                       int flags = -1);
ImagePtr CreateImage(int width, int height, int frames = 1, int flags = -1);
// An image made from raw RGBA pixels (R in the low byte).
ImagePtr ImageFromPixels(int width, int height, const std::vector<uint32_t>& rgba, int flags = -1);
void MidHandleImage(const ImagePtr& img);
void SetImageHandle(const ImagePtr& img, float x, float y);
int ImageWidth(const ImagePtr& img);
int ImageHeight(const ImagePtr& img);

// Null images and frames outside the strip draw nothing.
void DrawImage(const ImagePtr& img, float x, float y, int frame = 0);
// The part (sx, sy, w, h) of a frame, its top-left corner at (x, y), pixel
// for pixel: no handle, scale or rotation; colour, alpha and blend as for
// DrawImage. Parts outside the frame are cut off.
void DrawImageRect(const ImagePtr& img, float x, float y, int sx, int sy, int w, int h,
                   int frame = 0);

// A picture the renderer paints for itself, for what is drawn the same way
// frame after frame: `paint` runs with all drawing going into a new w x h
// image, cleared to opaque black, instead of the frame; the drawing state
// it leaves is dropped (the caller's is back afterwards). The result draws like
// any image and exactly as the same calls would have drawn into the frame,
// but it lives in the renderer only: it has no pixels to read, and once the
// renderer is replaced ImageLive() is false and it draws nothing. Null when
// no renderer is open.
ImagePtr PaintImage(int w, int h, const std::function<void()>& paint);
// False for null images and for painted ones whose renderer is gone.
bool ImageLive(const ImagePtr& img);
// Copies the render target at (x, y) into the image's frame.
void GrabImage(const ImagePtr& img, int x, int y, int frame = 0);
// Reads the render target's rectangle as a new image (default flags).
ImagePtr GrabPixmapImage(int x, int y, int w, int h);
// The whole 800x600 target as RGBA pixels (R in the low byte).
std::vector<uint32_t> ReadTargetPixels();
bool SavePNG(const std::string& path, int w, int h, const std::vector<uint32_t>& rgba);
bool SaveScreenshot(const std::string& path);

void DrawRect(float x, float y, float w, float h);
void DrawLine(float x1, float y1, float x2, float y2, bool drawLastPixel = true);
void DrawOval(float x, float y, float w, float h);
void Plot(float x, float y);

// Direct GL calls the start-up makes with the OpenGL driver; no-ops with
// any other renderer.
namespace gl {
void Enable(unsigned cap);
void Hint(unsigned target, unsigned mode);
void LineWidth(float w);
}  // namespace gl

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;

}  // namespace plat
