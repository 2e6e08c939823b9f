// The figure's body parts, coins, particles, markers and small play pictures.
// Parts drawn in white keep their own colours; parts the game tints (belt,
// coin, particles, hook, bullets) are light greys.
#include <cmath>

#include "art.h"

namespace imagegen {

namespace {

const std::string kKeys = "OHhKkWwBbEGgL";
const std::vector<Rgba> kCols = {kInk,  kHair,      kHairShade, kSkin,  kSkinShade,
                                 kSuit, kSuitShade, kBoot,      RGB(110, 96, 140),
                                 RGB(20, 16, 36), kMetal, RGB(150, 160, 186), Grey(255)};

Canvas FromMap(int w, int h, const std::vector<std::string>& rows) {
  Canvas c(w, h);
  c.Map(0, 0, rows, kKeys, kCols);
  return c;
}

Canvas Body() {
  return FromMap(10, 10, {"..OOOOOO..", ".OWWWWWWO.", "OWWWWWWWwO", "OWWWWWWWwO", "OWWWWWWWwO",
                          "OwWWWWWWwO", "OwWWWWWwwO", ".OwWWWWwO.", ".OwwwwwwO.", "..OOOOOO.."});
}

Canvas Belt() {
  Canvas c(10, 2);
  for (int x = 0; x < 10; ++x) {
    c.Set(x, 0, x == 0 || x == 9 ? kInk : Grey(x == 4 || x == 5 ? 150 : 255));
    c.Set(x, 1, x == 0 || x == 9 ? kInk : Grey(x == 4 || x == 5 ? 120 : 200));
  }
  return c;
}

// Handle (2, 4) lands on the neck point; the face looks left.
Canvas HeadLeft() {
  return FromMap(7, 8, {".OHHHO.", "OKKKHHO", "OKKKKhO", "OKKKKhO", "OkKKKhO", ".OkkkO.",
                        "..OOO..", "......."});
}

Canvas HeadFront() {
  return FromMap(6, 8, {".OHHO.", "OKKKKO", "OKKKKO", "OKKKKO", "OkKKkO", ".OkkO.", "..OO..",
                        "......"});
}

// Handle (4, 5): one row taller for the tuft; the face looks right.
Canvas HeadRight() {
  return FromMap(7, 9, {"...OO..", "..OHHO.", ".OHHKKO", "OhKKKKO", "OhKKKKO", "OhKKKkO",
                        ".OkkkO.", "..OOO..", "......."});
}

Canvas Foot(bool back) {
  Canvas c = FromMap(4, 4, {".OO.", "OBBO", "OBBO", "OOOO"});
  if (back) c.Set(1, 1, kCols[8]);
  else c.Set(1, 1, RGB(140, 126, 176));
  return c;
}

Canvas Eyes() { return FromMap(4, 2, {".E.E", ".E.E"}); }

// Gun arm: shoulder at (10, 2), muzzle to the left.
Canvas ArmGun() {
  Canvas c(13, 5);
  c.Map(0, 0, {".............", ".GGGGg.......", "..GGKKWWWWww.", "...G.........", "............."},
        kKeys, kCols);
  c.Outline(kInk, false);
  return c;
}

// Rope arm: shoulder at (6, 1), open hand to the left.
Canvas ArmRope() {
  Canvas c(8, 3);
  c.Map(0, 0, {"........", "KKWWWWw.", "........"}, kKeys, kCols);
  c.Outline(kInk, false);
  return c;
}

Canvas Glow(int w, int h, int alpha) {
  Canvas c(w, h);
  c.Glow(w / 2.f, h / 2.f, w / 2.f, h / 2.f, Grey(255, alpha));
  return c;
}

Canvas ParticleOrb() {
  Canvas c(16, 16);
  c.Glow(8, 8, 8, 8, Grey(255, 255));
  c.Disc(8, 8, 2, 2, Grey(255));
  return c;
}

Canvas ParticleStar() {
  Canvas c(16, 16);
  c.Glow(8, 8, 7, 7, Grey(255, 120));
  for (int i = -6; i <= 6; ++i) {
    const int a = 255 - std::abs(i) * 30;
    c.Blend(8 + i, 8, Grey(255, a));
    c.Blend(8, 8 + i, Grey(255, a));
  }
  for (int i = -3; i <= 3; ++i) {
    c.Blend(8 + i, 8 + i, Grey(255, 200 - std::abs(i) * 40));
    c.Blend(8 + i, 8 - i, Grey(255, 200 - std::abs(i) * 40));
  }
  return c;
}

Canvas ParticleCloud() {
  Canvas c(16, 16);
  c.Glow(5, 9, 5, 5, Grey(255, 200));
  c.Glow(10, 8, 6, 6, Grey(255, 200));
  c.Glow(8, 6, 5, 4, Grey(255, 170));
  return c;
}

Canvas ParticleBubble() {
  Canvas c(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const float d = std::hypot(x + 0.5f - 8, y + 0.5f - 8);
      if (d < 7.5f && d > 5.5f) c.Set(x, y, Grey(255, d > 6.5f ? 255 : 150));
      else if (d <= 5.5f) c.Set(x, y, Grey(255, 40));
    }
  c.Set(5, 5, Grey(255));
  c.Set(6, 5, Grey(255));
  c.Set(5, 6, Grey(255));
  return c;
}

Canvas ParticleHeart() {
  Canvas c(16, 16);
  c.Map(1, 2, {".###...###.", "#####.#####", "###########", "###########", ".#########.",
               "..#######..", "...#####...", "....###....", ".....#....."},
        "#", {Grey(255)});
  c.Set(3, 3, Grey(255));
  c.Outline(Grey(255, 90), false);
  return c;
}

Canvas ParticleEnemy(bool second) {
  Canvas c(16, 16);
  if (!second) {
    c.Map(2, 2, {"...####...", ".########.", "##########", "#..####..#", "#.E####.E#",
                 "##########", "##########", "#.##..##.#", "#..#..#..#"},
          "#E", {Grey(235), Grey(40)});
  } else {
    c.Map(2, 3, {"..#....#..", "...#..#...", "..######..", ".##E##E##.", "##########",
                 "#.######.#", "#.#....#.#", "...##.##.."},
          "#E", {Grey(235), Grey(40)});
  }
  c.Outline(Grey(120), false);
  return c;
}

}  // namespace

Canvas Coin() {
  Canvas c(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const float u = x + 0.5f - 8, v = y + 0.5f - 8;
      const float d = std::hypot(u / 5.5f, v / 6.5f);
      if (d > 1.0f) continue;
      int g = 230 - int(60 * (u + v) / 12);
      if (d > 0.78f) g = 150 - int(30 * (u + v) / 12);
      c.Set(x, y, Grey(std::clamp(g, 0, 255)));
    }
  // Embossed mark and a glint.
  c.Rect(7, 5, 2, 6, Grey(150));
  c.Rect(8, 5, 1, 6, Grey(255));
  c.Set(5, 4, Grey(255));
  c.Set(5, 5, Grey(255));
  c.Outline(Grey(60), false);
  return c;
}

Canvas ExitDoor() {
  Canvas c(16, 16);
  c.Map(0, 0,
        {"....OOOOOOOO....", "...OPPPPPPPPO...", "..OPpppppppPPO..", "..OPpSSSSSSpPO..",
         "..OPpSssssSpPO..", "..OPpSssssSpPO..", "..OPpSssssSpPO..", "..OPpSssssSpPO..",
         "..OPpSssssSpPO..", "..OPpSssssSpPO..", "..OPpSssssSpPO..", "..OPpSssssSpPO..",
         "..OPpSssssSpPO..", "..OPpSSSSSSpPO..", ".OOOOOOOOOOOOOO.", "OOOOOOOOOOOOOOOO"},
        "OPpSs", {kInk, RGB(255, 232, 120), RGB(226, 170, 60), RGB(120, 230, 255), RGB(250, 255, 255)});
  return c;
}

Canvas StartPad() {
  Canvas c(16, 16);
  c.Map(0, 0,
        {"................", "................", "................", "................",
         "................", "................", "................", "................",
         "................", "..G..........G..", "..G..........G..", ".GGG........GGG.",
         "OggggggggggggggO", "OGGGGGGGGGGGGGGO", ".OOOOOOOOOOOOOO.", "................"},
        "OGg", {kInk, RGB(120, 255, 150), RGB(200, 255, 210)});
  c.Glow(8, 12, 7, 6, RGB(160, 255, 180, 90));
  return c;
}

void DrawFigure(Canvas& c, int x, int y) {
  c.Blit(Foot(true), x + 2 - 2, y - 2 - 2);
  c.Blit(Foot(false), x - 1 - 2, y - 2 - 2);
  c.Blit(Body(), x - 5, y - 8 - 5);
  c.Blit(Belt(), x - 5, y - 6 - 1);
  c.Blit(HeadFront(), x - 2, y - 13 - 4);
  c.Blit(Eyes(), x - 2, y - 15 - 1);
}

Canvas MiniFigure() {
  Canvas c(16, 16);
  // A squat version for a single cell: big head, short body.
  c.Map(2, 0,
        {"...OOOO.....", "..OHHHHO....", ".OHKKKKHO...", ".OKEKKEKO...", ".OKEKKEKO...",
         ".OkKKKKkO...", "..OOkkOO....", ".OWWWWWWO...", "OGWWWWWWGO..", "OGLLLLLLGO..",
         ".OWWWWWwO...", ".OwwwwwwO...", "..OO..OO....", ".OBBO.OBBO..", ".OOOO.OOOO..", "............"},
        kKeys, kCols);
  return c;
}

Canvas ScaleUp(const Canvas& src, int k) {
  Canvas c(src.W() * k, src.H() * k);
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) c.Set(x, y, src.Get(x / k, y / k));
  return c;
}

namespace {

Canvas Hook() {
  Canvas c(8, 8);
  c.Map(0, 0, {"...##...", "..#..#..", "#..##..#", "#.####.#", ".######.", "..####..", "...##...", "........"},
        "#", {Grey(255)});
  c.Set(3, 3, Grey(180));
  c.Set(4, 3, Grey(180));
  return c;
}

Canvas Cursor() {
  Canvas c(16, 16);
  for (int i = 2; i <= 13; ++i)
    if (i < 6 || i > 9) {
      c.Set(i, 8, Grey(255));
      c.Set(8, i, Grey(255));
    }
  c.Set(8, 8, Grey(255));
  c.Outline(kInk, false);
  return c;
}

Canvas Bullet() {
  Canvas c(4, 8);
  c.Map(0, 0, {".##.", "####", "####", "####", "####", "####", "####", ".##."}, "#", {Grey(255)});
  c.ShadeVertical(0, 7, 170, 255);
  c.Set(1, 6, Grey(255));
  c.Set(2, 6, Grey(255));
  return c;
}

Canvas StatusIcon(bool parts) {
  Canvas c(30, 22);
  if (!parts) {
    // Dark badge with the figure inside.
    for (int y = 1; y < 21; ++y)
      for (int x = 1; x < 29; ++x) c.Set(x, y, RGB(20, 18, 34, 220));
    DrawFigure(c, 15, 20);
    return c;
  }
  // The tinted ring of the badge and the figure's belt.
  c.FrameRect(0, 0, 30, 22, Grey(255));
  c.FrameRect(1, 1, 28, 20, Grey(170));
  c.Set(0, 0, kClear);
  c.Set(29, 0, kClear);
  c.Set(0, 21, kClear);
  c.Set(29, 21, kClear);
  c.Blit(Belt(), 10, 13);
  return c;
}

}  // namespace

void AddSpriteMakers(MakerTable& t) {
  t["GFX/n_body.png"] = Body;
  t["GFX/n_belt.png"] = Belt;
  t["GFX/n_a_r.png"] = ArmRope;
  t["GFX/n_a_g.png"] = ArmGun;
  t["GFX/n_h_l.png"] = HeadLeft;
  t["GFX/n_h_f.png"] = HeadFront;
  t["GFX/n_h_r.png"] = HeadRight;
  t["GFX/n_f_1.png"] = [] { return Foot(false); };
  t["GFX/n_f_2.png"] = [] { return Foot(true); };
  t["GFX/n_eyes.png"] = Eyes;
  t["GFX/playerbloom.png"] = [] { return Glow(18, 26, 230); };
  t["GFX/coin.png"] = Coin;
  t["GFX/coinbloom.png"] = [] { return Glow(26, 26, 255); };
  t["GFX/p_bulletbloom.png"] = [] { return Glow(12, 18, 255); };
  t["GFX/particle_orb.png"] = ParticleOrb;
  t["GFX/particle_star.png"] = ParticleStar;
  t["GFX/particle_cloud.png"] = ParticleCloud;
  t["GFX/particle_bubble.png"] = ParticleBubble;
  t["GFX/particle_heart.png"] = ParticleHeart;
  t["GFX/particle_enemy1.png"] = [] { return ParticleEnemy(false); };
  t["GFX/particle_enemy2.png"] = [] { return ParticleEnemy(true); };
  t["GFX/p_rope.png"] = Hook;
  t["GFX/p_cursor.png"] = Cursor;
  t["GFX/p_bullet.png"] = Bullet;
  t["GFX/l_start.png"] = StartPad;
  t["GFX/l_end2.png"] = ExitDoor;
  t["GFX/e_i_velkor.png"] = MiniFigure;
  t["GFX/icon_velkor.png"] = [] { return StatusIcon(false); };
  t["GFX/icon_parts.png"] = [] { return StatusIcon(true); };
}

}  // namespace imagegen
