// The frame the menu screens share: what they do on entry, how each frame
// starts and ends, the title backdrop (the current pack's level 0 with the
// bottom bar), the pointer and the fade in from black. Each screen puts its
// own content between these steps in its own order.
#pragma once

namespace fe {

class MenuFrame {
 public:
  // Remembers the game state the screen runs in; flushKeys drops key
  // presses still pending from the screen before.
  explicit MenuFrame(bool flushKeys = false);

  // The last entry step, once the screen has loaded what it needs: input
  // unlocked, fade from black, exactly the buttons of the screen's state.
  void Open();

  // The screen runs until the game state differs from the one at entry.
  bool Running() const;

  // Clear, latch the click, alpha 1, read the pointer into MenuMouseX/Y,
  // take the input snapshot; with updateButtons, then Button::UpdateAll.
  // Returns true when the pointer moved since the previous frame.
  bool Begin(bool updateButtons = true);
  // White pointer at MenuMouseX/Y.
  void DrawPointer() const;
  // Black over the screen at the fade alpha while it is above 0; the alpha
  // then falls by 0.02 (50 frames from 1).
  void DrawFade();
  // EscapeHit and SpaceHit of this frame.
  void ReadKeys() const;
  // Shows the frame.
  void Show() const;
  // The usual end of a frame: pointer, fade, keys, Escape asking for
  // escapeState (kNoEscape: Escape does nothing), then Show.
  static constexpr int kNoEscape = -1;
  void Finish(int escapeState);

 private:
  int entered_;
  float fade_ = 1.0f;
};

// Black over the whole screen at the alpha; leaves alpha 1 and white.
void DrawBlackout(float alpha);
// Drawing colour := the UI colour cycle at index (0..255), its dark blues
// lifted so that lettering reads (play::LegibleCycleRgb).
void SetCycleColour(int index);
// The background picture tiled over the screen in white.
void TileLevelBack();
// The game's title picture at (20, 20) in the UI colour cycle's colour at
// the animation counter; the colour stays set.
void DrawMenuTitle();
// Loads level 0 of the current pack as the backdrop.
void LoadMenuBackdrop();
// The level in memory without markers, then the bottom bar in the halved
// cycle colour with its icons; leaves alpha 1 and the colour the icons
// left behind.
void DrawMenuBackdrop();

}  // namespace fe
