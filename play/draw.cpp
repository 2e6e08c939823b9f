// Drawing of the level, the figure and one whole frame of play.
#include "play/draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gfx.h"
#include "platform/input.h"
#include "play/bullet.h"
#include "play/coins.h"
#include "play/countdown.h"
#include "play/particle.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/geometry.h"
#include "services/level.h"
#include "services/palette.h"
#include "services/resources.h"

namespace play {

namespace {

constexpr int kBlockFrames = 32;
constexpr int kCornerFrames = 16;

// Edge and corner frames come from the level file unchecked: a frame
// outside its strip is not drawn (the grid keeps the value).
void DrawFrame(const plat::ImagePtr& img, int frames, float x, float y, int frame) {
  if (frame < 0 || frame >= frames) return;
  plat::DrawImage(img, x, y, frame);
}

void Shadow(float x, float y, int edge) {
  plat::SetAlpha(0.25f);
  plat::SetColor(0, 0, 0);
  DrawFrame(fe::Res.ImgBlocksPlain, kBlockFrames, x + 2, y + 2, edge);
}

void DrawCell(int i, int j, const LevelData& level) {
  const int p = level.TileGrid[i][j];
  const int e = level.EdgeFrameGrid[i][j];
  const int c = level.CornerFrameGrid[i][j];
  const float x = static_cast<float>(TileSize * i), y = static_cast<float>(TileSize * j);
  const fe::ResourceSet& r = fe::Res;
  switch (const TileKind kind = KindOf(p)) {
    case TileKind::Block:
    case TileKind::Changer:
    case TileKind::Neutral:
      Shadow(x, y, e);
      plat::SetAlpha(1);
      if (kind == TileKind::Neutral) {
        plat::SetColor(255, 255, 255);
      } else {
        SetPaletteColour(TileColour(p));
      }
      DrawFrame(kind == TileKind::Changer ? r.ImgBlocksChanger : r.ImgBlocksPlain, kBlockFrames, x,
                y, e);
      DrawFrame(r.ImgBlocksCorners, kCornerFrames, x, y, c);
      break;
    case TileKind::Zone:
      plat::SetAlpha(0.5f);
      SetPaletteColour(TileColour(p));
      DrawFrame(r.ImgBlocksZone, kBlockFrames, x, y, e);
      break;
    case TileKind::NoRope:
      plat::SetAlpha(0.5f);
      plat::SetColor(0, 0, 0);
      DrawFrame(r.ImgBlocksZone, kBlockFrames, x, y, e);
      break;
    case TileKind::Empty:
      break;
  }
}

void DrawBackground() {
  for (int x = 0; x <= 768; x += 128)
    for (int y = 0; y <= 512; y += 128)
      plat::DrawImage(fe::Res.ImgLevelBack, static_cast<float>(x), static_cast<float>(y));
}

float GhostAlpha(float d) {
  if (d > 200) return 0.5f;
  if (d > 100) return 0.4f * (d - 100) / 100 + 0.1f;
  return 0.1f;
}

void DrawMarkersAndCoins(int noMarkers) {
  plat::SetColor(255, 255, 255);
  if (noMarkers == 0) {
    plat::SetAlpha(1);
    plat::DrawImage(fe::Res.ImgLevelStart, Level.StartX - 8, Level.StartY - 16);
    plat::SetAlpha(Run.CoinsLeft == 0 ? 1.0f : 0.25f);
    plat::DrawImage(fe::Res.ImgLevelEnd, Level.ExitX, Level.ExitY);
  }
  plat::SetAlpha(1);
  coins::DrawAll();
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
}

// ------------------------------------------------------- painted pictures
//
// What stays the same from frame to frame is painted once and then drawn
// with one copy: the level's background and cells (menus and play), the
// glow stretched over the field, and in slow motion the level with the glow
// already laid over it. Each picture keeps what it was painted from and is
// painted again when that changes, so none of this is kept in step by hand.

// The level's background and cells, as DrawBackground and DrawCells leave
// them on a plain drawing state.
struct LevelPicture {
  plat::ImagePtr picture;
  int tiles[kLevelW][kLevelH] = {}, edges[kLevelW][kLevelH] = {}, corners[kLevelW][kLevelH] = {};
  std::array<plat::ImagePtr, 5> sources;
};

// The glow as DrawGlow lays it over the field, and the level picture with
// it added at the last two alphas (slow motion swings between two).
struct GlowPictures {
  plat::ImagePtr source;  // the GlowImage it was stretched from
  plat::ImagePtr stretched;
  struct Lit {
    plat::ImagePtr level, glow, image;
    float alpha = -1;
  };
  std::array<Lit, 2> lit;
  size_t nextLit = 0;
};

LevelPicture gLevelPicture;
GlowPictures gGlow;
bool gUsePictures = true;

std::array<plat::ImagePtr, 5> PictureSources() {
  const fe::ResourceSet& r = fe::Res;
  return {r.ImgLevelBack, r.ImgBlocksPlain, r.ImgBlocksChanger, r.ImgBlocksZone, r.ImgBlocksCorners};
}

// A picture can stand for the background and cells only when the
// background hides everything under it: opaque, and tiled at least as wide
// and high as its 128-pixel step. Otherwise what lies under the level shows
// through, and that differs between callers.
bool BackgroundHidesWhatIsUnder(const plat::ImagePtr& back) {
  static plat::ImagePtr checked;
  static bool hides = false;
  if (back != checked) {
    checked = back;
    hides = back && back->width >= 128 && back->height >= 128 && !back->pixels.empty() &&
            back->pixels[0].size() >= static_cast<size_t>(back->width) * back->height;
    if (hides)
      for (uint32_t px : back->pixels[0])
        if ((px >> 24) != 0xFF) {
          hides = false;
          break;
        }
  }
  return hides;
}

// The state every picture here is painted and drawn in; another one (a
// caller's alpha, scale or blend) draws the level cell by cell.
bool PlainDrawingState() {
  float sx = 0, sy = 0;
  plat::GetScale(sx, sy);
  return plat::GetAlpha() == 1.0f && plat::GetBlend() == plat::kAlphaBlend && sx == 1.0f &&
         sy == 1.0f && plat::GetRotation() == 0.0f;
}

bool SameGrids(const LevelPicture& p) {
  return std::memcmp(p.tiles, Level.TileGrid, sizeof p.tiles) == 0 &&
         std::memcmp(p.edges, Level.EdgeFrameGrid, sizeof p.edges) == 0 &&
         std::memcmp(p.corners, Level.CornerFrameGrid, sizeof p.corners) == 0;
}

// The picture of the level in memory, painted when missing or out of date;
// null when it cannot stand for the cells.
plat::ImagePtr CurrentLevelPicture() {
  if (!gUsePictures || !plat::GraphicsOpen() || !PlainDrawingState() ||
      !BackgroundHidesWhatIsUnder(fe::Res.ImgLevelBack)) {
    return nullptr;
  }
  LevelPicture& p = gLevelPicture;
  const std::array<plat::ImagePtr, 5> sources = PictureSources();
  if (plat::ImageLive(p.picture) && p.sources == sources && SameGrids(p)) return p.picture;
  std::memcpy(p.tiles, Level.TileGrid, sizeof p.tiles);
  std::memcpy(p.edges, Level.EdgeFrameGrid, sizeof p.edges);
  std::memcpy(p.corners, Level.CornerFrameGrid, sizeof p.corners);
  p.sources = sources;
  p.picture = plat::PaintImage(plat::kScreenW, plat::kScreenH, [] {
    plat::SetColor(255, 255, 255);
    DrawBackground();
    DrawCells();
  });
  return p.picture;
}

void DrawSolid(const plat::ImagePtr& picture) {
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  plat::SetBlend(plat::kSolidBlend);
  plat::DrawImage(picture, 0, 0);
  plat::SetBlend(plat::kAlphaBlend);
}

// GlowImage stretched 16 times with the images' filtering, as DrawGlow draws
// it; null without a glow image or under a rotation.
plat::ImagePtr StretchedGlow() {
  const plat::ImagePtr& source = Run.GlowImage;
  if (!gUsePictures || !source || !plat::GraphicsOpen() || plat::GetRotation() != 0.0f) {
    return nullptr;
  }
  if (gGlow.source != source || !plat::ImageLive(gGlow.stretched)) {
    gGlow = GlowPictures{};
    gGlow.source = source;
    gGlow.stretched = plat::PaintImage(source->width * 16, source->height * 16, [&] {
      plat::SetColor(255, 255, 255);
      plat::SetAlpha(1);
      plat::SetBlend(plat::kSolidBlend);
      plat::SetScale(16, 16);
      plat::DrawImage(source, 0, 0);
    });
  }
  return gGlow.stretched;
}

// The level picture with the glow added at the alpha.
plat::ImagePtr LitLevel(const plat::ImagePtr& level, const plat::ImagePtr& glow, float alpha) {
  for (const GlowPictures::Lit& l : gGlow.lit)
    if (l.level == level && l.glow == glow && l.alpha == alpha && plat::ImageLive(l.image))
      return l.image;
  GlowPictures::Lit& slot = gGlow.lit[gGlow.nextLit++ % gGlow.lit.size()];
  slot = {level, glow, nullptr, alpha};
  slot.image = plat::PaintImage(plat::kScreenW, plat::kScreenH, [&] {
    DrawSolid(level);
    plat::SetBlend(plat::kLightBlend);
    plat::SetAlpha(alpha);
    plat::DrawImage(glow, 0, 0);
  });
  return slot.image;
}

// A marker or coin that DrawLevel(0) draws between the cells and the glow,
// and the pixels it may touch (filtering and rounding included).
struct Mark {
  int what;  // kStartMark, kExitMark or an index into CoinList
  int x0, y0, x1, y1;
};
constexpr int kStartMark = -1, kExitMark = -2;
constexpr size_t kMaxMarks = 64;  // beyond that, the plain glow costs less

void Extend(Mark& m, const plat::ImagePtr& img, float x, float y) {
  if (!img) return;
  const float left = x - img->handleX, top = y - img->handleY;
  const int x0 = static_cast<int>(std::floor(left)) - 2, y0 = static_cast<int>(std::floor(top)) - 2;
  const int x1 = static_cast<int>(std::ceil(left + static_cast<float>(img->width))) + 2;
  const int y1 = static_cast<int>(std::ceil(top + static_cast<float>(img->height))) + 2;
  if (m.x1 <= m.x0) {
    m.x0 = x0, m.y0 = y0, m.x1 = x1, m.y1 = y1;
    return;
  }
  m.x0 = std::min(m.x0, x0), m.y0 = std::min(m.y0, y0);
  m.x1 = std::max(m.x1, x1), m.y1 = std::max(m.y1, y1);
}

bool Overlap(const Mark& a, const Mark& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// Marks whose pixels may meet, put together: the groups then touch
// disjoint pixels, so they may be drawn one group after another.
struct MarkGroup {
  Mark box;
  std::vector<size_t> marks;
};

std::vector<MarkGroup> GroupMarks(const std::vector<Mark>& marks) {
  std::vector<MarkGroup> groups;
  for (size_t i = 0; i < marks.size(); ++i) groups.push_back({marks[i], {i}});
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t a = 0; a < groups.size() && !merged; ++a)
      for (size_t b = a + 1; b < groups.size(); ++b) {
        if (!Overlap(groups[a].box, groups[b].box)) continue;
        Mark& box = groups[a].box;
        const Mark& o = groups[b].box;
        box.x0 = std::min(box.x0, o.x0), box.y0 = std::min(box.y0, o.y0);
        box.x1 = std::max(box.x1, o.x1), box.y1 = std::max(box.y1, o.y1);
        groups[a].marks.insert(groups[a].marks.end(), groups[b].marks.begin(),
                               groups[b].marks.end());
        groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(b));
        merged = true;
        break;
      }
  }
  for (MarkGroup& g : groups) std::sort(g.marks.begin(), g.marks.end());  // drawing order
  return groups;
}

void DrawMark(const Mark& m, const Rgb& tint) {
  plat::SetBlend(plat::kAlphaBlend);
  if (m.what == kStartMark || m.what == kExitMark) {
    plat::SetColor(255, 255, 255);
    const bool start = m.what == kStartMark;
    plat::SetAlpha(start || Run.CoinsLeft == 0 ? 1.0f : 0.25f);
    if (start) {
      plat::DrawImage(fe::Res.ImgLevelStart, Level.StartX - 8, Level.StartY - 16);
    } else {
      plat::DrawImage(fe::Res.ImgLevelEnd, Level.ExitX, Level.ExitY);
    }
    return;
  }
  plat::SetColor(tint.r, tint.g, tint.b);
  Run.CoinList[static_cast<size_t>(m.what)]->Draw();
}

// What DrawLevel(0) and then DrawGlow(alpha) draw, from the lit picture:
// each group of markers and coins is drawn again over the plain level and
// gets the glow over it from the stretched glow, pixel for pixel as the
// whole glow would. False (nothing drawn) when it cannot.
bool DrawLevelInGlow(const plat::ImagePtr& level, float alpha) {
  const plat::ImagePtr glow = StretchedGlow();
  if (!glow) return false;
  const fe::ResourceSet& r = fe::Res;
  std::vector<Mark> marks;
  marks.push_back({kStartMark, 0, 0, 0, 0});
  Extend(marks.back(), r.ImgLevelStart, Level.StartX - 8, Level.StartY - 16);
  marks.push_back({kExitMark, 0, 0, 0, 0});
  Extend(marks.back(), r.ImgLevelEnd, Level.ExitX, Level.ExitY);
  for (size_t i = 0; i < Run.CoinList.size() && marks.size() <= kMaxMarks; ++i) {
    const coins& c = *Run.CoinList[i];
    if (!c.active) continue;
    Mark m{static_cast<int>(i), 0, 0, 0, 0};
    const float x = static_cast<float>(c.x), y = static_cast<float>(c.y);
    Extend(m, r.ImgCoin, x, y);
    if (Run.TimeRate < 1.0f) Extend(m, r.ImgCoinBloom, x - 5, y - 5);
    marks.push_back(m);
  }
  if (marks.size() > kMaxMarks) return false;
  const plat::ImagePtr lit = LitLevel(level, glow, alpha);
  if (!lit) return false;

  DrawSolid(lit);
  const Rgb tint = coins::NextTint();
  for (const MarkGroup& g : GroupMarks(marks)) {
    const Mark& b = g.box;
    const float x = static_cast<float>(b.x0), y = static_cast<float>(b.y0);
    plat::SetColor(255, 255, 255);
    plat::SetAlpha(1);
    plat::SetBlend(plat::kSolidBlend);
    plat::DrawImageRect(level, x, y, b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
    for (size_t m : g.marks) DrawMark(marks[m], tint);
    plat::SetColor(255, 255, 255);
    plat::SetBlend(plat::kLightBlend);
    plat::SetAlpha(alpha);
    plat::DrawImageRect(glow, x, y, b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
  }
  // As DrawGlow leaves it.
  plat::SetColor(255, 255, 255);
  plat::SetBlend(plat::kAlphaBlend);
  return true;
}

}  // namespace

void DrawCells(int x0, int y0, int x1, int y1) {
  for (int i = std::max(x0, 0); i <= std::min(x1, kLevelW - 1); ++i)
    for (int j = std::max(y0, 0); j <= std::min(y1, kLevelH - 1); ++j) DrawCell(i, j, Level);
}

void DrawLevel(int noMarkers) {
  plat::SetColor(255, 255, 255);
  if (const plat::ImagePtr picture = CurrentLevelPicture()) {
    DrawSolid(picture);
  } else {
    DrawBackground();
    DrawCells();
  }
  DrawMarkersAndCoins(noMarkers);
}

void CacheLevelPicture() {
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetScale(1, 1);
  plat::SetRotation(0);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
  CurrentLevelPicture();
  StretchedGlow();
}

void DropLevelPicture() {
  gLevelPicture = LevelPicture{};
  gGlow = GlowPictures{};
}

void UsePaintedPictures(bool on) {
  gUsePictures = on;
  if (!on) DropLevelPicture();
}

void DrawGame() {
  // The level picture covers the whole frame, so the field's backing
  // colour is drawn only under cells drawn one by one.
  const plat::ImagePtr picture = CurrentLevelPicture();
  const bool glowing = Run.TimeRate < 1.0f;
  // The coins under the glow still bloom at the last frame's alpha.
  const float glowAlpha = glowing ? (1.0f - Run.TimeRate) * 0.75f : Run.GlowAlpha;
  if (!picture) {
    plat::SetColor(60, 60, 120);
    plat::DrawRect(0, 0, 800, 600);
  }
  if (!picture || !glowing || !DrawLevelInGlow(picture, glowAlpha)) {
    DrawLevel(0);
    if (glowing) DrawGlow(glowAlpha);
  }
  Run.GlowAlpha = glowAlpha;
  coins::DrawAll();
  DrawBullets();
  if (const TavikPtr ghost = Run.Ghost) {
    float d = 201;
    if (Run.Player) d = GetDistance(ghost->x, ghost->y, Run.Player->x, Run.Player->y);
    ghost->alpha = GhostAlpha(d);
    ghost->Draw();
  }
  if (const TavikPtr player = Run.Player) {
    player->alpha = 1;
    player->Draw();
  }
  DrawParticles();
  plat::SetAlpha(1);

  const int c = Run.HudColour;
  if (IsPaletteColour(c)) {
    plat::SetColor(fe::Res.BlockPaletteR[c] / 2, fe::Res.BlockPaletteG[c] / 2,
                   fe::Res.BlockPaletteB[c] / 2);
  }
  plat::DrawRect(0, 576, 800, 24);
  plat::SetColor(0, 0, 0);
  plat::DrawLine(0, 576, 800, 576);
  DrawBottomBar(385, 577, 0);
  plat::SetColor(255, 255, 255);
}

// ---------------------------------------------------------------- figure

namespace {

void DrawArm(const plat::ImagePtr& img, float x, float y, float tx, float ty) {
  plat::SetRotation(270 - GetAngleBetween(x, y, tx, ty));
  plat::DrawImage(img, x, y);
  plat::SetRotation(0);
}

}  // namespace

void Tavik::Draw() {
  const fe::ResourceSet& r = fe::Res;
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetAlpha(alpha);
  plat::SetColor(255, 255, 255);
  if (x > aimX) facingRight = 0;
  if (x < aimX) facingRight = 1;

  auto ropeArm = [&] {
    DrawRope();
    plat::SetAlpha(alpha);
    plat::SetColor(255, 255, 255);
    DrawArm(r.ImgArmRope, x, y - 10, hookX, hookY);
  };
  auto gunArm = [&] { DrawArm(r.ImgArmGun, x, y - 10, aimX, aimY); };

  // Back arm.
  if (!facingRight && ropeState > kRopeIdle) ropeArm();
  if (facingRight) gunArm();

  // Feet.
  float f1x, f1y, f2x, f2y;
  if (onGround && vx == 0) {
    f1x = -1, f1y = -2, f2x = 2, f2y = -2;
  } else if (onGround) {
    const double s = Run.StepCounter;
    f1x = -2, f1y = static_cast<float>(2 * CosDeg(2 * s) - 2);
    f2x = 1, f2y = static_cast<float>(2 * CosDeg(2 * (s + 90)) - 2);
  } else if (vy > 0) {
    f1x = -3, f1y = -4, f2x = 4, f2y = -4;
  } else {
    f1x = -2, f1y = -3, f2x = 3, f2y = -3;
  }
  auto foot1 = [&] { plat::DrawImage(r.ImgFoot1, x + f1x, y + f1y); };
  auto foot2 = [&] { plat::DrawImage(r.ImgFoot2, x + f2x, y + f2y); };
  if (facingRight) {
    foot2();
    foot1();
  } else {
    foot1();
    foot2();
  }

  // Body and belt.
  plat::DrawImage(r.ImgBody, x, y - 8);
  SetPaletteColour(colour);
  plat::DrawImage(r.ImgBelt, x, y - 6);
  plat::SetColor(255, 255, 255);

  // Head and eyes.
  const plat::ImagePtr& head =
      aimX < x - 50 ? r.ImgHeadLeft : (aimX > x + 50 ? r.ImgHeadRight : r.ImgHeadFront);
  plat::DrawImage(head, x, y - 13);
  const float a = GetAngleBetween(x, y - 12, aimX, aimY);
  const float ex = static_cast<float>(2 * SinDeg(a));
  const float ey = static_cast<float>(0.75 * CosDeg(a));
  if (aimY < y - 12) {
    if (!(std::fabs(x - aimX) < std::fabs(y - aimY))) plat::DrawImage(r.ImgEyes, x + 1 + ex, y - 15 + ey);
  } else {
    plat::DrawImage(r.ImgEyes, x + ex, y - 15 + ey);
  }

  // Front arm.
  if (facingRight && ropeState > kRopeIdle) ropeArm();
  if (!facingRight) gunArm();

  // Bloom.
  if (Run.TimeRate < 1.0f) {
    plat::SetColor(255, 255, 255);
    plat::SetBlend(plat::kLightBlend);
    plat::SetAlpha(Run.GlowAlpha * alpha);
    plat::DrawImage(r.ImgPlayerBloom, x - 9, y - 23);
  }
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
}

// ---------------------------------------------------------------- glow

void RenderLevelGlow(int noMarkers, int noBackground) {
  if (!plat::GraphicsOpen()) return;
  plat::Cls();
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(0.25f);
  if (noBackground != 1) DrawBackground();
  plat::SetAlpha(1);
  if (noMarkers == 0) {
    plat::DrawImage(fe::Res.ImgLevelStart, Level.StartX - 8, Level.StartY - 16);
    plat::DrawImage(fe::Res.ImgLevelEnd, Level.ExitX, Level.ExitY);
  }
  DrawCells();
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  if (!fe::Res.ScreenGrab) fe::Res.ScreenGrab = plat::CreateImage(800, 600);
  plat::GrabImage(fe::Res.ScreenGrab, 0, 0);
  Run.GlowImage = MakeThumbnail(fe::Res.ScreenGrab);
}

plat::ImagePtr MakeThumbnail(const plat::ImagePtr& image) {
  plat::Cls();
  plat::SetAlpha(1);
  plat::SetScale(0.0625f, 0.0625f);
  plat::DrawImage(image, 0, 0);
  const int w = plat::ImageWidth(image) / 16;
  const int h = plat::ImageHeight(image) / 16;
  return plat::GrabPixmapImage(0, 0, w, h);
}

void DrawGlow(float alpha) {
  plat::SetColor(255, 255, 255);
  plat::SetBlend(plat::kLightBlend);
  plat::SetAlpha(alpha);
  // Stretched once rather than every frame: the same pixels.
  if (const plat::ImagePtr stretched = StretchedGlow()) {
    plat::SetScale(1, 1);
    plat::DrawImage(stretched, 0, 0);
  } else {
    plat::SetScale(16, 16);
    plat::DrawImage(Run.GlowImage, 0, 0);
  }
  plat::SetScale(1, 1);
  plat::SetBlend(plat::kAlphaBlend);
}

void ShowGlowDebug() {
  plat::Cls();
  plat::SetScale(1, 1);
  plat::SetColor(255, 255, 255);
  plat::DrawImage(fe::Res.ScreenGrab, 0, 0);
  plat::Flip();
  plat::WaitKey();
  plat::SetBlend(plat::kLightBlend);
  plat::SetScale(16, 16);
  plat::DrawImage(Run.GlowImage, 0, 0);
  plat::Flip();
  plat::WaitKey();
}

}  // namespace play
