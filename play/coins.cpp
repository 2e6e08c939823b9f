// Coins: collected by touching their cell; the last one opens the exit.
#include "play/coins.h"

#include "platform/clock.h"
#include "platform/gfx.h"
#include "play/particle.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/geometry.h"
#include "services/level.h"
#include "services/palette.h"
#include "services/resources.h"
#include "services/sound.h"

namespace play {

std::shared_ptr<coins> coins::Create(int x, int y) {
  auto c = std::make_shared<coins>();
  c->x = x;
  c->y = y;
  Run.CoinList.push_back(c);
  Run.CoinsLeft += 1;
  return c;
}

void coins::CheckCollect() {
  const TavikPtr p = Run.Player;
  if (!p) return;
  const float left = p->x - 1 - p->halfWidth, top = p->y - (p->height + 1);
  const float right = p->x + p->halfWidth + 1, bottom = p->y + 1;
  // Collecting never changes the list, so a plain walk is safe.
  for (const auto& c : Run.CoinList) {
    if (c->active == 0) continue;
    const float cx = static_cast<float>(c->x), cy = static_cast<float>(c->y);
    if (BoxesOverlap(left, top, right, bottom, cx, cy, cx + 16, cy + 16)) c->Collect();
  }
}

void coins::Collect() {
  SpawnCoinParticles(static_cast<float>(x + 8), static_cast<float>(y + 8));
  active = 0;
  Run.CoinsLeft -= 1;
  if (Run.CoinsLeft <= 0) {
    fe::PlaySoundEffect(fe::kSfxExitOpen);
    SpawnExitOpenParticles(Level.ExitX, Level.ExitY);
  } else {
    fe::PlaySoundEffect(fe::kSfxCoinCollect);
  }
}

Rgb coins::NextTint() {
  const Rgb tint = CycleRgb(Run.CoinCycleIndex);
  const int now = plat::Millisecs();
  if (plat::MillisDiff(now, Run.CoinCycleTime) > 100) {
    Run.CoinCycleTime = now;
    Run.CoinCycleIndex += 1;
    if (Run.CoinCycleIndex >= 256) Run.CoinCycleIndex = 0;
  }
  return tint;
}

void coins::DrawAll() {
  plat::SetAlpha(1);
  const Rgb tint = NextTint();
  plat::SetColor(tint.r, tint.g, tint.b);
  // In slow motion the last bloom leaves light blending on; what is drawn
  // next (the bullets) sets its own blend after its first picture.
  for (const auto& c : Run.CoinList)
    if (c->active) c->Draw();
}

void coins::Draw() {
  plat::SetAlpha(1);
  plat::SetBlend(plat::kAlphaBlend);
  plat::DrawImage(fe::Res.ImgCoin, static_cast<float>(x), static_cast<float>(y));
  if (Run.TimeRate < 1.0f) {
    plat::SetBlend(plat::kLightBlend);
    plat::SetAlpha(Run.GlowAlpha);
    plat::DrawImage(fe::Res.ImgCoinBloom, static_cast<float>(x - 5), static_cast<float>(y - 5));
  }
}

void ResetCoins() {
  Run.CoinsLeft = 0;
  for (const auto& c : Run.CoinList) {
    c->active = 1;
    Run.CoinsLeft += 1;
  }
}

void ClearCoins() {
  Run.CoinList.clear();
}

int SetupLevelObjects(int keepCoins) {
  if (keepCoins == 0) {
    Run.CoinList.clear();
    Run.CoinsLeft = 0;
  }
  plat::SetColor(255, 255, 255);
  for (int x = 0; x < kLevelW; ++x) {
    for (int y = 0; y < kLevelH; ++y) {
      switch (Level.ObjectGrid[x][y]) {
        case kObjStart:
          Level.StartX = static_cast<float>(TileSize * x + 8);
          Level.StartY = static_cast<float>(TileSize * y + 16);
          break;
        case kObjExit:
          Level.ExitX = static_cast<float>(TileSize * x);
          Level.ExitY = static_cast<float>(TileSize * y);
          break;
        case kObjCoin:
          coins::Create(TileSize * x, TileSize * y);
          break;
        default:
          break;
      }
    }
  }
  return 0;
}

}  // namespace play
