// Images: PNG decoding and encoding, strips, handles, lazily made
// textures, and grabs from the render target.
#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/gfx_internal.h"

namespace plat {

using detail::Vid;

ImageData::~ImageData() {
  const detail::Video& v = Vid();
  if (generation != v.generation || !v.renderer) return;  // died with its renderer
  if (tex || maskTex) detail::FlushBatch();  // queued draws may still use them
  if (tex) SDL_DestroyTexture(tex);
  if (maskTex) SDL_DestroyTexture(maskTex);
}

void Image::Dirty() {
  if (!data) return;
  // New pixels in a painted image: from now on it is an ordinary one.
  if (data->painted) {
    data.reset();
  } else {
    data->dirty = true;
  }
}

namespace {

constexpr int kMaxAtlasWidth = 4096;

struct Decoded {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
};

bool DecodePNG(const std::string& path, Decoded& out) {
  std::vector<uint8_t> bytes;
  if (!LoadFileBytes(path, bytes) || bytes.empty()) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  // Refuse absurd sizes from damaged headers before allocating.
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    return false;
  }
  out.w = static_cast<int>(image.width);
  out.h = static_cast<int>(image.height);
  out.px.assign(static_cast<size_t>(out.w) * out.h, 0);
  if (!png_image_finish_read(&image, nullptr, out.px.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

int ResolveFlags(int flags) { return flags == -1 ? AutoImageFlags() : flags; }

ImagePtr NewImage(int w, int h, int frames, int flags) {
  auto img = std::make_shared<Image>();
  img->width = w;
  img->height = h;
  img->frames = frames;
  img->flags = ResolveFlags(flags);
  img->pixels.assign(frames, std::vector<uint32_t>(static_cast<size_t>(w) * h, 0));
  return img;
}

// All frames in one grid, each cell with a one-pixel border repeating its
// edge, so filtered drawing never picks up the neighbouring frame.
std::vector<uint32_t> Atlas(const Image& img, const ImageData& d, bool mask) {
  std::vector<uint32_t> out(static_cast<size_t>(d.texW) * d.texH, 0);
  int cw = img.width + 2, chh = img.height + 2;
  for (int f = 0; f < img.frames; ++f) {
    int ox = (f % d.cols) * cw, oy = (f / d.cols) * chh;
    const std::vector<uint32_t>& src = img.pixels[f];
    if (src.size() < static_cast<size_t>(img.width) * img.height) continue;
    for (int y = 0; y < chh; ++y) {
      int sy = std::clamp(y - 1, 0, img.height - 1);
      uint32_t* row = &out[static_cast<size_t>(oy + y) * d.texW + ox];
      for (int x = 0; x < cw; ++x) {
        uint32_t p = src[static_cast<size_t>(sy) * img.width + std::clamp(x - 1, 0, img.width - 1)];
        if (mask) p = (p >> 24) >= 128 ? (p | 0xFF000000u) : 0;
        row[x] = detail::ToTextureFormat(p);
      }
    }
  }
  return out;
}

SDL_Texture* MakeTexture(const Image& img, const ImageData& d, bool mask) {
  SDL_Renderer* r = Vid().renderer;
  SDL_Texture* t = SDL_CreateTexture(r, detail::kTextureFormat, SDL_TEXTUREACCESS_STATIC,
                                     d.texW, d.texH);
  if (!t) return nullptr;
  std::vector<uint32_t> px = Atlas(img, d, mask);
  SDL_UpdateTexture(t, nullptr, px.data(), d.texW * 4);
  SDL_SetTextureScaleMode(t, (img.flags & kFilteredImage) ? SDL_ScaleModeLinear
                                                           : SDL_ScaleModeNearest);
  return t;
}

void DropTextures(ImageData& d) {
  if (d.tex) SDL_DestroyTexture(d.tex);
  if (d.maskTex) SDL_DestroyTexture(d.maskTex);
  d.tex = d.maskTex = nullptr;
}

}  // namespace

// The image's texture for the current renderer, rebuilt after a renderer
// change or a pixel change; the thresholded copy is made only when the
// mask blend first needs it.
SDL_Texture* ImageTexture(const ImagePtr& img, bool mask) {
  const detail::Video& v = Vid();
  if (img->data && img->data->painted) {
    return img->data->generation == v.generation && !mask ? img->data->tex : nullptr;
  }
  if (!v.renderer || img->frames <= 0 || img->pixels.size() < static_cast<size_t>(img->frames)) {
    return nullptr;
  }
  if (!img->data) img->data = std::make_shared<ImageData>();
  ImageData& d = *img->data;
  if (d.generation != v.generation) {
    d.tex = d.maskTex = nullptr;  // freed with the old renderer
    d.generation = v.generation;
    d.dirty = true;
  }
  if (d.dirty) {
    detail::FlushBatch();  // queued draws may still use the old texture
    DropTextures(d);
    d.cols = std::clamp(kMaxAtlasWidth / (img->width + 2), 1, img->frames);
    d.texW = d.cols * (img->width + 2);
    d.texH = ((img->frames + d.cols - 1) / d.cols) * (img->height + 2);
    d.dirty = false;
  }
  SDL_Texture*& t = mask ? d.maskTex : d.tex;
  if (!t) t = MakeTexture(*img, d, mask);
  return t;
}

ImagePtr PaintImage(int w, int h, const std::function<void()>& paint) {
  detail::Video& v = Vid();
  if (!v.renderer || w <= 0 || h <= 0) return nullptr;
  detail::FlushBatch();
  SDL_Texture* tex =
      SDL_CreateTexture(v.renderer, detail::kTextureFormat, SDL_TEXTUREACCESS_TARGET, w, h);
  if (!tex) return nullptr;
  ImagePtr img = NewImage(w, h, 1, -1);
  img->pixels.assign(1, {});  // none to keep: the texture is the picture
  img->data = std::make_shared<ImageData>();
  ImageData& d = *img->data;
  d.generation = v.generation;
  d.tex = tex;
  d.texW = w;
  d.texH = h;
  d.border = 0;
  d.painted = true;
  d.dirty = false;
  SDL_SetTextureScaleMode(tex, (img->flags & kFilteredImage) ? SDL_ScaleModeLinear
                                                              : SDL_ScaleModeNearest);

  SDL_Texture* outer = SDL_GetRenderTarget(v.renderer);
  const int outerW = v.drawW, outerH = v.drawH;
  const detail::DrawState outerState = detail::Draw();
  SDL_SetRenderTarget(v.renderer, tex);
  v.drawW = w;
  v.drawH = h;
  ++v.painting;
  const bool framePending = v.clearPending;  // belongs to the frame, stays for it
  v.clearPending = false;
  // Opaque, as a grab of the frame would be.
  SDL_SetRenderDrawColor(v.renderer, 0, 0, 0, 255);
  SDL_RenderClear(v.renderer);
  paint();
  detail::FlushBatch();
  --v.painting;
  v.clearPending = framePending;
  SDL_SetRenderTarget(v.renderer, outer);
  v.drawW = outerW;
  v.drawH = outerH;
  detail::Draw() = outerState;
  return img;
}

bool ImageLive(const ImagePtr& img) {
  if (!img) return false;
  if (img->data && img->data->painted) return img->data->generation == Vid().generation;
  return true;
}

ImagePtr LoadImage(const std::string& path, int flags) {
  Decoded dec;
  if (!DecodePNG(path, dec)) return nullptr;
  ImagePtr img = NewImage(dec.w, dec.h, 1, flags);
  img->pixels[0] = std::move(dec.px);
  img->path = path;
  return img;
}

ImagePtr LoadAnimImage(const std::string& path, int cellW, int cellH, int first, int count,
                       int flags) {
  if (cellW <= 0 || cellH <= 0 || first < 0 || count <= 0) return nullptr;
  Decoded dec;
  if (!DecodePNG(path, dec)) return nullptr;
  int across = dec.w / cellW, down = dec.h / cellH;
  if (static_cast<int64_t>(first) + count > static_cast<int64_t>(across) * down) return nullptr;
  ImagePtr img = NewImage(cellW, cellH, count, flags);
  img->path = path;
  for (int f = 0; f < count; ++f) {
    int cell = first + f;
    int ox = (cell % across) * cellW, oy = (cell / across) * cellH;
    for (int y = 0; y < cellH; ++y) {
      std::memcpy(&img->pixels[f][static_cast<size_t>(y) * cellW],
                  &dec.px[static_cast<size_t>(oy + y) * dec.w + ox], cellW * 4);
    }
  }
  return img;
}

ImagePtr CreateImage(int width, int height, int frames, int flags) {
  if (width <= 0 || height <= 0 || frames <= 0) return nullptr;
  return NewImage(width, height, frames, flags);
}

ImagePtr ImageFromPixels(int width, int height, const std::vector<uint32_t>& rgba, int flags) {
  if (width <= 0 || height <= 0) return nullptr;
  ImagePtr img = NewImage(width, height, 1, flags);
  size_t n = std::min(rgba.size(), img->pixels[0].size());
  std::copy(rgba.begin(), rgba.begin() + n, img->pixels[0].begin());
  return img;
}

void MidHandleImage(const ImagePtr& img) {
  if (!img) return;
  img->handleX = img->width * 0.5f;
  img->handleY = img->height * 0.5f;
}

void SetImageHandle(const ImagePtr& img, float x, float y) {
  if (!img) return;
  img->handleX = x;
  img->handleY = y;
}

int ImageWidth(const ImagePtr& img) { return img ? img->width : 0; }
int ImageHeight(const ImagePtr& img) { return img ? img->height : 0; }

namespace {

// Reads a rectangle of the target; parts outside it stay 0. The target's
// alpha is not part of the picture (a back buffer has none), so read
// pixels are opaque.
std::vector<uint32_t> ReadTargetRect(int x, int y, int w, int h) {
  std::vector<uint32_t> out(static_cast<size_t>(w) * h, 0);
  const detail::Video& v = Vid();
  if (!v.renderer) return out;
  SDL_Rect want{x, y, w, h}, all{0, 0, v.drawW, v.drawH}, part;
  if (!SDL_IntersectRect(&want, &all, &part)) return out;
  detail::SettleClear();
  detail::FlushBatch();
  std::vector<uint32_t> buf(static_cast<size_t>(part.w) * part.h);
  if (SDL_RenderReadPixels(v.renderer, &part, SDL_PIXELFORMAT_ABGR8888, buf.data(), part.w * 4) != 0) {
    return out;
  }
  for (int row = 0; row < part.h; ++row) {
    uint32_t* dst = &out[static_cast<size_t>(part.y - y + row) * w + (part.x - x)];
    const uint32_t* src = &buf[static_cast<size_t>(row) * part.w];
    for (int col = 0; col < part.w; ++col) dst[col] = src[col] | 0xFF000000u;
  }
  return out;
}

}  // namespace

void GrabImage(const ImagePtr& img, int x, int y, int frame) {
  if (!img || frame < 0 || frame >= img->frames || !Vid().renderer) return;
  img->pixels[frame] = ReadTargetRect(x, y, img->width, img->height);
  img->Dirty();
}

ImagePtr GrabPixmapImage(int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  return ImageFromPixels(w, h, ReadTargetRect(x, y, w, h), -1);
}

std::vector<uint32_t> ReadTargetPixels() {
  return ReadTargetRect(0, 0, Vid().targetW, Vid().targetH);
}

bool SavePNG(const std::string& path, int w, int h, const std::vector<uint32_t>& rgba) {
  if (w <= 0 || h <= 0 || rgba.size() < static_cast<size_t>(w) * h) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) return false;
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr)) {
    return false;
  }
  bytes.resize(size);
  return SaveFileSafely(path, bytes, false);
}

bool SaveScreenshot(const std::string& path) {
  if (!Vid().renderer) return false;
  return SavePNG(path, Vid().targetW, Vid().targetH, ReadTargetPixels());
}

}  // namespace plat
