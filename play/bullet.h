// Gun bullets: straight flight at constant speed until they leave the screen
// area or meet a solid cell. They hit nothing but tiles.
#pragma once
#include <memory>

#include "play/objectlist.h"

namespace play {

struct LevelData;

class Bullet {
 public:
  float x = 0, y = 0;
  float angle = 0;  // degrees; (sin, cos) is the unit step of the flight
  float speed = 0;  // pixels per simulation step
  int colour = 0;   // shooter's palette colour
  int ghost = 0;    // 1 for a bullet of the replay ghost

  // A bullet 15 pixels out from (x, y) along the angle, flying at 2 pixels
  // per step, appended to the end of the bullet list.
  static std::shared_ptr<Bullet> Create(float x, float y, int colour, float angle, int ghost);

  void Remove();  // takes the bullet out of the bullet list
  void Update();  // one simulation step
  void Draw() const;

 private:
  // sin and cos of the angle, kept from creation: the flight is straight,
  // and working them out every step cost more than the rest of the step.
  // Taken again only if the angle is changed from outside.
  void KeepDirection();
  float directionAngle_ = 0;
  bool directionKnown_ = false;
  double sin_ = 0, cos_ = 1;
};

struct BulletVars {
  ObjectList<Bullet> BulletList;
};
extern BulletVars Bullets;

// Empties the bullet list (level set-up and tests).
void ResetBullets();

void UpdateBullets();
void DrawBullets();

// The tile code of the first non-empty cell (columns outer, rows inner) whose
// 16x16 box meets the given box, edges touching; -1 when none. Zones count.
// A box with a non-finite corner meets nothing.
int FindTileAtBox(float x1, float y1, float x2, float y2);
int FindTileAtBox(const LevelData& level, float x1, float y1, float x2, float y2);

}  // namespace play
