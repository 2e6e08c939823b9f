// Drawing of the level, the figure and one whole frame of play.
#include "play/draw.h"

#include <algorithm>
#include <cmath>

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

// The background and cells of the level in play, grabbed once per level
// start: the grids do not change during play, and one picture draws the
// same pixels as the 35 background tiles and up to 7200 cell images.
plat::ImagePtr gLevelPicture;

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

}  // namespace

void DrawCells(int x0, int y0, int x1, int y1) {
  for (int i = std::max(x0, 0); i <= std::min(x1, kLevelW - 1); ++i)
    for (int j = std::max(y0, 0); j <= std::min(y1, kLevelH - 1); ++j) DrawCell(i, j, Level);
}

void DrawLevel(int noMarkers) {
  plat::SetColor(255, 255, 255);
  DrawBackground();
  DrawCells();
  DrawMarkersAndCoins(noMarkers);
}

void CacheLevelPicture() {
  gLevelPicture.reset();
  if (!plat::GraphicsOpen()) return;
  plat::Cls();
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetScale(1, 1);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
  DrawBackground();
  DrawCells();
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  gLevelPicture = plat::GrabPixmapImage(0, 0, 800, 576);
  if (gLevelPicture) plat::SetImageHandle(gLevelPicture, 0, 0);
  plat::Cls();
}

void DropLevelPicture() { gLevelPicture.reset(); }

void DrawGame() {
  plat::SetColor(60, 60, 120);
  plat::DrawRect(0, 0, 800, 600);
  if (gLevelPicture) {
    plat::SetColor(255, 255, 255);
    plat::SetAlpha(1);
    plat::DrawImage(gLevelPicture, 0, 0);
    DrawMarkersAndCoins(0);
  } else {
    DrawLevel(0);
  }
  if (Run.TimeRate < 1.0f) {
    Run.GlowAlpha = (1.0f - Run.TimeRate) * 0.75f;
    DrawGlow(Run.GlowAlpha);
  }
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
  plat::SetScale(16, 16);
  plat::SetBlend(plat::kLightBlend);
  plat::SetAlpha(alpha);
  plat::DrawImage(Run.GlowImage, 0, 0);
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
