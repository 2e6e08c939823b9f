// Short-lived tinted sprites that drift, fade and go: feedback for deaths,
// spawns, colour changes, coins and the exit opening. Drawn in light blend.
#pragma once
#include <vector>

namespace play {

class Particle {
 public:
  float x = 0, y = 0;
  float vx = 0, vy = 0;
  int red = 0, green = 0, blue = 0;
  float life = 0;         // steps left; spent when exactly 0
  float alpha = 0;
  float alphaFade = 0;    // alpha factor per step
  float friction = 0;     // vx factor per step (vy has none)
  float gravity = 0;      // subtracted from vy per step: positive rises
  int image = 0;          // kind 0..6; any other draws nothing
  float scale = 1;
  float scaleGrowth = 1;  // scale factor per step

  void Draw() const;
};

enum ParticleImage {
  kParticleOrb = 0,
  kParticleStar = 1,
  kParticleCloud = 2,
  kParticleBubble = 3,
  kParticleHeart = 4,
  kParticleEnemy1 = 5,
  kParticleEnemy2 = 6,
};

struct ParticleVars {
  // In list order, stored by value: bursts add hundreds of particles that
  // are walked every step, so they are kept contiguous. Only
  // UpdateParticles takes particles out, after it has finished with each.
  std::vector<Particle> ParticleList;
};
extern ParticleVars Particles;

// Empties the particle list (leaving play and tests).
void ResetParticles();

void AddParticle(float x, float y, float vx, float vy, int red, int green,
                 int blue, int life, float alpha, float alphaFade, float friction, float gravity,
                 int image, float scale, float scaleGrowth);

// Bursts. Each draws its random numbers per particle in the order x, y, vx,
// vy, then the colour index where it has one.
void SpawnDeathParticles(float px, float py, int colour);         // 51 orbs
void SpawnSparkleParticles(float px, float py);                   // 51 orbs, random colours
void SpawnColourChangeParticles(float px, float py, int colour);  // 51 orbs
void SpawnCoinParticles(float px, float py);                      // 21 stars, coin tint
void SpawnExitOpenParticles(float px, float py);                  // 64 orbs in a grid
void SpawnTrailParticle(float px, float py, int colour, int type);

void UpdateParticles();
void DrawParticles();

}  // namespace play
