// The input snapshot that every routine of a simulation step reads, taken
// once per step in play and once per frame elsewhere.
#pragma once

namespace play {

// Where the snapshot's keys, buttons and pointer come from. The default
// reads the platform; the play harness swaps in a scripted source so a run
// can be driven step by step.
class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual int KeyHit(int code) = 0;  // presses since the last call
  virtual bool KeyDown(int code) = 0;
  virtual int MouseHit(int button) = 0;
  virtual bool MouseDown(int button) = 0;
  virtual int MouseX() = 0;
  virtual int MouseY() = 0;
};
InputSource& Source();
// nullptr goes back to the platform.
void SetInputSource(InputSource* source);

struct InputVars {
  int KeyHitLeft = 0, KeyDownLeft = 0;
  int KeyHitRight = 0, KeyDownRight = 0;
  int KeyHitUp = 0, KeyDownUp = 0;
  int KeyHitDown = 0, KeyDownDown = 0;
  int MouseDown1 = 0;
  int MouseClickPrev = 0;
  int MouseDown2 = 0, MouseHit2 = 0;
  int MouseDown3 = 0, MouseHit3 = 0;
  int PrevKeyDownLeft = 0, PrevKeyDownRight = 0, PrevKeyDownUp = 0, PrevMouseDown1 = 0,
      PrevMouseDown2 = 0;
  int EscapeHit = 0, SpaceHit = 0;
  int GameInputLocked = 0;
  int MouseClick = 0;

  // User-interface colour index; during play it holds the level's colour.
  int AnimCounter = 0;
  int AnimCounterTime = 0;
};
extern InputVars Input;
void ResetInput();

// Takes the snapshot; with clear non-zero empties it (previous-step values
// keep theirs). Returns 0.
int PollInput(int clear);
// MouseClick := mouse button 1 hit. Returns 0.
int PollMouseClick();
void TickAnimCounter();

}  // namespace play
