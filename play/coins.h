// Coins: collected by touching their cell; the last one opens the exit.
#pragma once
#include <memory>

namespace play {

struct Rgb;  // services/palette.h

class coins {
 public:
  int x = 0, y = 0;
  int active = 1;

  void Draw();
  static void DrawAll();
  // The colour coins are drawn in now; steps the colour cycle every 100 ms.
  static Rgb NextTint();
  static void CheckCollect();
  void Collect();
  static std::shared_ptr<coins> Create(int x, int y);
};
void ResetCoins();
void ClearCoins();
// Places the start, the exit and the coins of the loaded level for a run;
// returns 0.
int SetupLevelObjects(int keepCoins);

}  // namespace play
