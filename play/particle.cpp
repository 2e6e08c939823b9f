// Particle bursts: spawners, the per-step update and light-blend drawing.
#include "play/particle.h"

#include <cmath>
#include <cstddef>

#include "platform/clock.h"
#include "platform/gfx.h"
#include "play/runstate.h"
#include "services/palette.h"
#include "services/resources.h"

namespace play {

ParticleVars Particles;

namespace {

// Defaults every burst shares unless it says otherwise.
constexpr int kBurstLife = 2000;
constexpr float kBurstAlpha = 0.5f;
constexpr float kBurstFade = 0.995f;
constexpr float kSpentAlpha = 0.001f;

Rgb CoinCycleRgb() { return CycleRgb(Run.CoinCycleIndex); }

// The random positions truncate the point to whole pixels; a point that is
// not finite or beyond any screen would make that conversion meaningless
// (and undefined), and its particles could never be seen, so no burst.
bool BurstPointUsable(float px, float py) {
  constexpr float kFar = 1.0e6f;
  return std::isfinite(px) && std::isfinite(py) && std::fabs(px) < kFar && std::fabs(py) < kFar;
}

int RandAround(float p, float spread) {
  return plat::Rand(static_cast<int>(p - spread), static_cast<int>(p + spread));
}

float RndF(double a, double b) { return static_cast<float>(plat::Rnd(a, b)); }

struct BurstShape {
  int count;
  float spreadX, spreadY;  // position: Rand around the point
  double vxRange;          // vx: Rnd(-vxRange, vxRange)
  double vyLow, vyHigh;    // vy: Rnd(vyLow, vyHigh)
  float gravity;
  int image;
};

constexpr BurstShape kDeathBurst{51, 10, 10, 0.08, -0.08, 0.08, -0.0001f, kParticleOrb};
constexpr BurstShape kSparkleBurst{51, 5, 10, 0.02, -0.01, 0.03, 0.0005f, kParticleOrb};
constexpr BurstShape kCoinBurst{21, 5, 10, 0.03, -0.03, 0.03, 0.0005f, kParticleStar};

// Draws the random numbers of each particle in the fixed order x, y, vx, vy,
// then whatever colourOf draws.
template <class ColourOf>
void SpawnBurst(float px, float py, const BurstShape& s, ColourOf colourOf) {
  if (!BurstPointUsable(px, py)) return;
  for (int n = 0; n < s.count; ++n) {
    const int x = RandAround(px, s.spreadX);
    const int y = RandAround(py, s.spreadY);
    const float vx = RndF(-s.vxRange, s.vxRange);
    const float vy = RndF(s.vyLow, s.vyHigh);
    const Rgb c = colourOf();
    AddParticle(static_cast<float>(x), static_cast<float>(y), vx, vy, c.r, c.g, c.b, kBurstLife,
                kBurstAlpha, kBurstFade, 1.0f, s.gravity, s.image, 1.0f, 1.0f);
  }
}

const plat::ImagePtr* ImageOfKind(int kind) {
  switch (kind) {
    case kParticleOrb: return &fe::Res.ImgParticleOrb;
    case kParticleStar: return &fe::Res.ImgParticleStar;
    case kParticleCloud: return &fe::Res.ImgParticleCloud;
    case kParticleBubble: return &fe::Res.ImgParticleBubble;
    case kParticleHeart: return &fe::Res.ImgParticleHeart;
    case kParticleEnemy1: return &fe::Res.ImgParticleEnemy1;
    case kParticleEnemy2: return &fe::Res.ImgParticleEnemy2;
    default: return nullptr;
  }
}

bool Spent(const Particle& p) {
  // A particle at a non-finite position could never be seen again.
  return p.life == 0 || !(p.alpha > kSpentAlpha) || !std::isfinite(p.x) || !std::isfinite(p.y);
}

}  // namespace

void ResetParticles() { Particles.ParticleList.clear(); }

void AddParticle(float x, float y, float vx, float vy, int red, int green, int blue, int life,
                 float alpha, float alphaFade, float friction, float gravity, int image,
                 float scale, float scaleGrowth) {
  Particle& p = Particles.ParticleList.emplace_back();
  p.x = x;
  p.y = y;
  p.vx = vx;
  p.vy = vy;
  p.red = red;
  p.green = green;
  p.blue = blue;
  p.life = static_cast<float>(life);
  p.alpha = alpha;
  p.alphaFade = alphaFade;
  p.friction = friction;
  p.gravity = gravity;
  p.image = image;
  p.scale = scale;
  p.scaleGrowth = scaleGrowth;
}

void SpawnDeathParticles(float px, float py, int colour) {
  const Rgb c = PaletteRgb(colour);
  SpawnBurst(px, py, kDeathBurst, [&] { return c; });
}

void SpawnSparkleParticles(float px, float py) {
  SpawnBurst(px, py, kSparkleBurst, [] { return PaletteRgb(plat::Rand(0, kPaletteColours - 1)); });
}

void SpawnColourChangeParticles(float px, float py, int colour) {
  const Rgb c = PaletteRgb(colour);
  SpawnBurst(px, py, kSparkleBurst, [&] { return c; });
}

void SpawnCoinParticles(float px, float py) {
  SpawnBurst(px, py, kCoinBurst, [] { return CoinCycleRgb(); });
}

void SpawnExitOpenParticles(float px, float py) {
  const Rgb cycle = CoinCycleRgb();
  for (int i = 0; i <= 7; ++i) {
    for (int j = 0; j <= 7; ++j) {
      // A cross of the coin tint over a white grid.
      const Rgb c = ((i > 3) != (j > 3)) ? cycle : Rgb{};
      AddParticle(px + 2 * i, py + 2 * j, (i - 3) * 0.015f, (j - 3) * 0.015f, c.r, c.g, c.b,
                  kBurstLife, kBurstAlpha, kBurstFade, 1.0f, -0.0001f, kParticleOrb, 1.0f, 1.0f);
    }
  }
}

void SpawnTrailParticle(float px, float py, int colour, int type) {
  const Rgb c = PaletteRgb(colour);
  int image = kParticleOrb;
  if (type >= 1 && type <= 3) image = kParticleEnemy1;
  else if (type >= 4 && type <= 6) image = kParticleEnemy2;
  AddParticle(px, py, 0, 0, c.r, c.g, c.b, 500, kBurstAlpha, kBurstFade, 1.0f, 0.0f, image, 1.0f,
              1.001f);
}

void UpdateParticles() {
  // Spent particles are taken out by closing the gap behind the walk: each
  // particle is finished with before anything overwrites it.
  std::vector<Particle>& list = Particles.ParticleList;
  const size_t count = list.size();
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    Particle& p = list[i];
    const bool spent = Spent(p);
    // A particle just taken out still moves once; it is no longer drawn.
    p.x += p.vx;
    p.y += p.vy;
    p.vx = p.vx * p.friction;
    p.vy = p.vy - p.gravity;
    p.life -= 1;
    p.alpha = p.alpha * p.alphaFade;
    p.scale = p.scale * p.scaleGrowth;
    if (!spent) {
      if (kept != i) list[kept] = p;
      ++kept;
    }
  }
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(kept),
             list.begin() + static_cast<std::ptrdiff_t>(count));
}

void Particle::Draw() const {
  const plat::ImagePtr* img = ImageOfKind(image);
  if (!img) return;
  plat::SetAlpha(alpha);
  plat::SetColor(red, green, blue);
  plat::SetScale(scale, scale);
  plat::DrawImage(*img, x, y, 0);
}

void DrawParticles() {
  plat::SetBlend(plat::kLightBlend);
  for (const Particle& p : Particles.ParticleList) p.Draw();
  plat::SetBlend(plat::kAlphaBlend);
  plat::SetAlpha(1);
  plat::SetColor(255, 255, 255);
  plat::SetScale(1, 1);
}

}  // namespace play
