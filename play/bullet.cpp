// Gun bullets.
#include "play/bullet.h"

#include <cmath>
#include <cstring>

#include "platform/gfx.h"
#include "play/cellscan.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/geometry.h"
#include "services/palette.h"
#include "services/resources.h"
#include "services/sound.h"

namespace play {

BulletVars Bullets;

namespace {

constexpr float kMuzzleDistance = 15.0f;
constexpr float kBulletSpeed = 2.0f;
constexpr float kBulletHalfSize = 2.0f;
constexpr float kGhostBulletAlpha = 0.25f;

// Off the screen area; a non-finite position could never come back and
// would never meet a tile, so it counts as off screen too.
bool BulletLost(float x, float y) {
  return !std::isfinite(x) || !std::isfinite(y) || IsOffScreen(x, y);
}

}  // namespace

void ResetBullets() { Bullets.BulletList.Clear(); }

std::shared_ptr<Bullet> Bullet::Create(float x, float y, int colour, float angle, int ghost) {
  auto b = std::make_shared<Bullet>();
  b->angle = angle;
  b->KeepDirection();
  b->x = static_cast<float>(x + kMuzzleDistance * b->sin_);
  b->y = static_cast<float>(y + kMuzzleDistance * b->cos_);
  b->speed = kBulletSpeed;
  b->colour = colour;
  b->ghost = ghost;
  Bullets.BulletList.Append(b);
  return b;
}

void Bullet::KeepDirection() {
  // Bit for bit, so a NaN angle (damaged data) counts as unchanged too.
  if (directionKnown_ && std::memcmp(&directionAngle_, &angle, sizeof angle) == 0) return;
  sin_ = SinDeg(angle);
  cos_ = CosDeg(angle);
  directionAngle_ = angle;
  directionKnown_ = true;
}

void Bullet::Remove() { Bullets.BulletList.Remove(this); }

void Bullet::Update() {
  KeepDirection();
  x = static_cast<float>(x + sin_ * speed);
  y = static_cast<float>(y + cos_ * speed);
  // Beyond the screen area no cell can be met, so the tile scan is skipped.
  if (BulletLost(x, y)) {
    Remove();
    return;
  }
  const int t = FindTileAtBox(x - kBulletHalfSize, y - kBulletHalfSize, x + kBulletHalfSize,
                              y + kBulletHalfSize);
  if (IsSolidTile(t)) {
    if (!ghost) fe::PlaySoundEffect(fe::kSfxGunHit);
    Remove();
  }
}

void Bullet::Draw() const {
  const Rgb c = PaletteRgb(colour);
  plat::SetColor(c.r, c.g, c.b);
  plat::SetRotation(360 - angle);
  const float alpha = ghost ? kGhostBulletAlpha : 1.0f;
  plat::SetAlpha(alpha);
  plat::DrawImage(fe::Res.ImgBullet, x, y);
  if (Run.TimeRate < 1) {
    plat::SetBlend(plat::kLightBlend);
    plat::SetAlpha(Run.GlowAlpha * alpha);
    plat::DrawImage(fe::Res.ImgBulletBloom, x, y);
  }
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetAlpha(1);
}

void UpdateBullets() {
  Bullets.BulletList.Walk([](Bullet& b) { b.Update(); });
}

void DrawBullets() {
  plat::SetAlpha(1);
  Bullets.BulletList.Walk([](Bullet& b) { b.Draw(); });
  plat::SetRotation(0);
  plat::SetColor(255, 255, 255);
}

int FindTileAtBox(const LevelData& level, float x1, float y1, float x2, float y2) {
  int found = -1;
  // The scan stops at the first non-empty cell, so a zone met before a solid
  // cell hides it.
  ForEachCellMeetingBox(level, x1, y1, x2, y2, [&](int, int, int code) {
    if (found < 0 && code >= 0) found = code;
  });
  return found;
}

int FindTileAtBox(float x1, float y1, float x2, float y2) {
  return FindTileAtBox(Level, x1, y1, x2, y2);
}

}  // namespace play
