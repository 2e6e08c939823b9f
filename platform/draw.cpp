// Drawing into the render target: images, rectangles, lines, ovals, points.
//
// With OpenGL everything becomes textured or plain triangles queued in one
// batch that goes to SDL in a single call whenever the texture or blend mode
// changes, so a tile map from one strip costs one call, not one per tile.
// The software renderer's triangle path samples textures half a pixel off
// and ignores the blend mode for rectangles, so there images go through
// its copy operations and rectangles through its rectangle fill.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/gfx.h"
#include "platform/gfx_internal.h"

namespace plat {

SDL_Texture* ImageTexture(const ImagePtr& img, bool mask);  // image.cpp

namespace detail {
namespace {

struct Batch {
  SDL_Texture* tex = nullptr;
  SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
  std::vector<SDL_Vertex> verts;
  std::vector<int> indices;
};

Batch& TheBatch() {
  static Batch* b = new Batch;
  return *b;
}

SDL_BlendMode SdlBlend(int mode) {
  switch (mode) {
    case kLightBlend: return SDL_BLENDMODE_ADD;
    case kShadeBlend: return SDL_BLENDMODE_MOD;
    case kSolidBlend: return SDL_BLENDMODE_NONE;
    // Mask draws thresholded pixels at full strength: the pixels that pass
    // are opaque, the rest fully transparent, so plain blending gives it.
    case kMaskBlend:
    default: return SDL_BLENDMODE_BLEND;
  }
}

// Colour of the current state; false when the mask blend leaves nothing.
bool StateColour(SDL_Color& c) {
  const DrawState& s = Draw();
  float a = std::clamp(s.alpha, 0.0f, 1.0f);
  if (s.blend == kMaskBlend) {
    if (a < 0.5f) return false;
    a = 1.0f;
  }
  c = {static_cast<Uint8>(s.r), static_cast<Uint8>(s.g), static_cast<Uint8>(s.b),
       static_cast<Uint8>(std::lround(a * 255.0f))};
  return true;
}

// Adds a convex polygon (as a fan) to the batch.
void QueuePolygon(SDL_Texture* tex, const SDL_Vertex* v, int n) {
  Video& vid = Vid();
  if (!vid.renderer || n < 3) return;
  SettleClear();
  Batch& b = TheBatch();
  SDL_BlendMode mode = SdlBlend(Draw().blend);
  if (!b.verts.empty() && (b.tex != tex || b.mode != mode)) FlushBatch();
  b.tex = tex;
  b.mode = mode;
  int base = static_cast<int>(b.verts.size());
  b.verts.insert(b.verts.end(), v, v + n);
  for (int i = 1; i + 1 < n; ++i) {
    b.indices.push_back(base);
    b.indices.push_back(base + i);
    b.indices.push_back(base + i + 1);
  }
}

// Position of a point given relative to the origin (ox, oy), after scale
// and then rotation about the origin.
SDL_FPoint Transform(float ox, float oy, float lx, float ly) {
  const DrawState& s = Draw();
  float x = lx * s.scaleX, y = ly * s.scaleY;
  return {ox + x * s.cosR - y * s.sinR, oy + x * s.sinR + y * s.cosR};
}

// First pixel whose centre lies at or after the edge.
int PixelEdge(float e) { return static_cast<int>(std::ceil(e - 0.5f)); }

// The four points as a whole-pixel rectangle, when they are axis-aligned.
bool AsPixelRect(const SDL_FPoint* p, int n, SDL_Rect& r) {
  if (n != 4) return false;
  bool sidesAligned = (p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x) ||
                      (p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y);
  if (!sidesAligned) return false;
  int x0 = PixelEdge(std::min(p[0].x, p[2].x)), x1 = PixelEdge(std::max(p[0].x, p[2].x));
  int y0 = PixelEdge(std::min(p[0].y, p[2].y)), y1 = PixelEdge(std::max(p[0].y, p[2].y));
  r = {x0, y0, x1 - x0, y1 - y0};
  return true;
}

void SoftwareShape(const SDL_FPoint* pts, int n, SDL_Color c) {
  SettleClear();
  SDL_Renderer* rr = Vid().renderer;
  SDL_BlendMode mode = SdlBlend(Draw().blend);
  SDL_Rect rect;
  if (AsPixelRect(pts, n, rect)) {
    // An opaque colour blended over the pixels leaves exactly that colour,
    // and a plain fill costs a fraction of a blended one.
    if (mode == SDL_BLENDMODE_BLEND && c.a == 255) mode = SDL_BLENDMODE_NONE;
    SDL_SetRenderDrawBlendMode(rr, mode);
    if (rect.w > 0 && rect.h > 0) {
      SDL_SetRenderDrawColor(rr, c.r, c.g, c.b, c.a);
      SDL_RenderFillRect(rr, &rect);
    }
    return;
  }
  SDL_SetRenderDrawBlendMode(rr, mode);
  SDL_Vertex v[130];
  n = std::min(n, 130);
  for (int i = 0; i < n; ++i) v[i] = {pts[i], c, {0, 0}};
  std::vector<int> idx;
  for (int i = 1; i + 1 < n; ++i) idx.insert(idx.end(), {0, i, i + 1});
  SDL_RenderGeometry(rr, nullptr, v, n, idx.data(), static_cast<int>(idx.size()));
}

void QueueShape(const SDL_FPoint* pts, int n) {
  SDL_Color c;
  if (!Vid().renderer || !StateColour(c)) return;
  if (!Vid().isOpenGL) return SoftwareShape(pts, n, c);
  SDL_Vertex v[130];
  n = std::min(n, 130);
  for (int i = 0; i < n; ++i) v[i] = {pts[i], c, {0, 0}};
  QueuePolygon(nullptr, v, n);
}

// One image frame through the software renderer's copy.
void SoftwareCopy(const Image& img, SDL_Texture* tex, int frame, float x, float y, SDL_Color c) {
  SettleClear();
  const DrawState& s = Draw();
  const ImageData& d = *img.data;
  float w = static_cast<float>(img.width), h = static_cast<float>(img.height);
  float dw = w * std::abs(s.scaleX), dh = h * std::abs(s.scaleY);
  if (dw <= 0 || dh <= 0) return;
  SDL_SetTextureBlendMode(tex, SdlBlend(s.blend));
  SDL_SetTextureColorMod(tex, c.r, c.g, c.b);
  SDL_SetTextureAlphaMod(tex, c.a);
  const SDL_Rect src = d.Cell(img, frame);
  float left = x + std::min(-img.handleX * s.scaleX, (w - img.handleX) * s.scaleX);
  float top = y + std::min(-img.handleY * s.scaleY, (h - img.handleY) * s.scaleY);
  int flip = (s.scaleX < 0 ? SDL_FLIP_HORIZONTAL : 0) | (s.scaleY < 0 ? SDL_FLIP_VERTICAL : 0);
  if (flip == 0 && std::fmod(s.rotation, 360.0f) == 0) {
    const int x0 = PixelEdge(left), y0 = PixelEdge(top);
    SDL_Rect dst{x0, y0, PixelEdge(left + dw) - x0, PixelEdge(top + dh) - y0};
    // Only the pixels whose centres the image covers are drawn, as OpenGL
    // does; the part of the frame that lands on them is drawn there, so the
    // scale stays what it is. (Squeezing the whole frame into the whole
    // pixels shifts what each one shows: an 800x600 picture at a sixteenth
    // covers 37.5 rows, and its lowest of 37 rows would show row 592 rather
    // than 584, taking the level's glow half a cell down.)
    SDL_Rect part = src;
    if (dw != w || dh != h) {
      const float sx = dw / w, sy = dh / h;
      auto whole = [](float v) { return static_cast<int>(std::floor(v + 0.5f)); };
      part = {src.x + whole((x0 - left) / sx), src.y + whole((y0 - top) / sy), whole(dst.w / sx),
              whole(dst.h / sy)};
      if (!SDL_IntersectRect(&part, &src, &part)) return;
    }
    SDL_RenderCopy(Vid().renderer, tex, &part, &dst);
    return;
  }
  SDL_FRect dst{left, top, dw, dh};
  SDL_FPoint centre{x - left, y - top};
  SDL_RenderCopyExF(Vid().renderer, tex, &src, &dst, s.rotation, &centre,
                    static_cast<SDL_RendererFlip>(flip));
}

// A solid draw of an unturned, unscaled image over the whole of what is
// drawn into sets every pixel whatever was there: a Cls before it need not
// be done.
bool ReplacesFrame(const Image& img, float x, float y) {
  const DrawState& s = Draw();
  const Video& v = Vid();
  if (s.blend != kSolidBlend || s.rotation != 0.0f || s.scaleX != 1.0f || s.scaleY != 1.0f) {
    return false;
  }
  const float left = x - img.handleX, top = y - img.handleY;
  return left <= 0 && top <= 0 && left + static_cast<float>(img.width) >= static_cast<float>(v.drawW) &&
         top + static_cast<float>(img.height) >= static_cast<float>(v.drawH);
}

}  // namespace

void FlushBatch() {
  Batch& b = TheBatch();
  Video& vid = Vid();
  if (b.verts.empty() || !vid.renderer) {
    b.verts.clear();
    b.indices.clear();
    return;
  }
  if (b.tex) {
    SDL_SetTextureBlendMode(b.tex, b.mode);
  } else {
    SDL_SetRenderDrawBlendMode(vid.renderer, b.mode);
  }
  SDL_RenderGeometry(vid.renderer, b.tex, b.verts.data(), static_cast<int>(b.verts.size()),
                     b.indices.data(), static_cast<int>(b.indices.size()));
  b.verts.clear();
  b.indices.clear();
}

}  // namespace detail

using detail::Draw;

void DrawImage(const ImagePtr& img, float x, float y, int frame) {
  if (!img || frame < 0 || frame >= img->frames || img->width <= 0 || img->height <= 0) return;
  if (!detail::Vid().renderer) return;
  SDL_Color c;
  if (!detail::StateColour(c)) return;
  bool mask = Draw().blend == kMaskBlend;
  SDL_Texture* tex = ImageTexture(img, mask);
  if (!tex) return;
  if (detail::ReplacesFrame(*img, x, y)) detail::Vid().clearPending = false;
  if (!detail::Vid().isOpenGL) return detail::SoftwareCopy(*img, tex, frame, x, y, c);
  const ImageData& d = *img->data;
  // Cells carry a one-pixel border copied from their edge (see image.cpp).
  float cw = static_cast<float>(img->width), ch = static_cast<float>(img->height);
  const SDL_Rect cell = d.Cell(*img, frame);
  float u0 = cell.x / static_cast<float>(d.texW);
  float v0 = cell.y / static_cast<float>(d.texH);
  float u1 = u0 + cw / d.texW, v1 = v0 + ch / d.texH;
  float hx = img->handleX, hy = img->handleY;
  SDL_Vertex v[4] = {
      {detail::Transform(x, y, -hx, -hy), c, {u0, v0}},
      {detail::Transform(x, y, cw - hx, -hy), c, {u1, v0}},
      {detail::Transform(x, y, cw - hx, ch - hy), c, {u1, v1}},
      {detail::Transform(x, y, -hx, ch - hy), c, {u0, v1}},
  };
  detail::QueuePolygon(tex, v, 4);
}

void DrawImageRect(const ImagePtr& img, float x, float y, int sx, int sy, int w, int h,
                   int frame) {
  if (!img || frame < 0 || frame >= img->frames || !detail::Vid().renderer) return;
  // Only what lies inside the frame.
  const int x0 = std::max(sx, 0), y0 = std::max(sy, 0);
  const int x1 = std::min(sx + w, img->width), y1 = std::min(sy + h, img->height);
  if (x1 <= x0 || y1 <= y0) return;
  x += static_cast<float>(x0 - sx);
  y += static_cast<float>(y0 - sy);
  SDL_Color c;
  if (!detail::StateColour(c)) return;
  SDL_Texture* tex = ImageTexture(img, Draw().blend == kMaskBlend);
  if (!tex) return;
  const ImageData& d = *img->data;
  const SDL_Rect cell = d.Cell(*img, frame);
  SDL_Rect src{cell.x + x0, cell.y + y0, x1 - x0, y1 - y0};
  if (!detail::Vid().isOpenGL) {
    detail::SettleClear();
    SDL_SetTextureBlendMode(tex, detail::SdlBlend(Draw().blend));
    SDL_SetTextureColorMod(tex, c.r, c.g, c.b);
    SDL_SetTextureAlphaMod(tex, c.a);
    const int px = detail::PixelEdge(x), py = detail::PixelEdge(y);
    SDL_Rect dst{px, py, src.w, src.h};
    SDL_RenderCopy(detail::Vid().renderer, tex, &src, &dst);
    return;
  }
  const float u0 = src.x / static_cast<float>(d.texW), v0 = src.y / static_cast<float>(d.texH);
  const float u1 = (src.x + src.w) / static_cast<float>(d.texW);
  const float v1 = (src.y + src.h) / static_cast<float>(d.texH);
  const float fw = static_cast<float>(src.w), fh = static_cast<float>(src.h);
  SDL_Vertex v[4] = {{{x, y}, c, {u0, v0}},
                     {{x + fw, y}, c, {u1, v0}},
                     {{x + fw, y + fh}, c, {u1, v1}},
                     {{x, y + fh}, c, {u0, v1}}};
  detail::QueuePolygon(tex, v, 4);
}

void DrawRect(float x, float y, float w, float h) {
  SDL_FPoint p[4] = {detail::Transform(x, y, 0, 0), detail::Transform(x, y, w, 0),
                     detail::Transform(x, y, w, h), detail::Transform(x, y, 0, h)};
  detail::QueueShape(p, 4);
}

void DrawLine(float x1, float y1, float x2, float y2, bool drawLastPixel) {
  // The line is scaled and rotated about its first point; its width is not.
  SDL_FPoint end = detail::Transform(x1, y1, x2 - x1, y2 - y1);
  float ax = x1 + 0.5f, ay = y1 + 0.5f, bx = end.x + 0.5f, by = end.y + 0.5f;
  float dx = bx - ax, dy = by - ay;
  float len = std::sqrt(dx * dx + dy * dy);
  if (len < 1e-4f) {
    if (!drawLastPixel) return;
    dx = 1;
    dy = 0;
  } else {
    dx /= len;
    dy /= len;
  }
  float width = std::max(Draw().lineWidth, 0.0f);
  if (width <= 0) return;
  // Ends reach half a pixel past the pixel centres (the last pixel only
  // when asked). An even width is shifted half a pixel down (or right) so
  // its edges fall on pixel borders: a 2-px line covers exactly two rows.
  float ex = ax - dx * 0.5f, ey = ay - dy * 0.5f;
  float fx = bx + dx * (drawLastPixel ? 0.5f : -0.5f), fy = by + dy * (drawLastPixel ? 0.5f : -0.5f);
  if ((fx - ex) * dx + (fy - ey) * dy <= 0) return;
  if (static_cast<int>(std::lround(width)) % 2 == 0) {
    bool xMajor = std::abs(dx) >= std::abs(dy);
    ex += xMajor ? 0 : 0.5f;
    fx += xMajor ? 0 : 0.5f;
    ey += xMajor ? 0.5f : 0;
    fy += xMajor ? 0.5f : 0;
  }
  float px = -dy * width * 0.5f, py = dx * width * 0.5f;
  SDL_FPoint p[4] = {{ex - px, ey - py}, {fx - px, fy - py}, {fx + px, fy + py}, {ex + px, ey + py}};
  detail::QueueShape(p, 4);
}

void DrawOval(float x, float y, float w, float h) {
  float rx = w * 0.5f, ry = h * 0.5f;
  float sx = std::abs(Draw().scaleX), sy = std::abs(Draw().scaleY);
  int segments = std::clamp(static_cast<int>(std::abs(rx * sx) + std::abs(ry * sy)), 12, 128);
  SDL_FPoint p[128];
  for (int i = 0; i < segments; ++i) {
    double t = 2.0 * M_PI * i / segments;
    p[i] = detail::Transform(x, y, rx + rx * static_cast<float>(std::cos(t)),
                             ry + ry * static_cast<float>(std::sin(t)));
  }
  detail::QueueShape(p, segments);
}

void Plot(float x, float y) {
  SDL_FPoint p[4] = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}};
  detail::QueueShape(p, 4);
}

}  // namespace plat
