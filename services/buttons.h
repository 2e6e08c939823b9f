// Menu buttons: a picture at a fixed position with an action code and the
// game state (group) in which it is live. One list holds every button in
// creation order.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx.h"

namespace fe {

class Button {
 public:
  float x = 0, y = 0;
  float width = 0, height = 0;
  plat::ImagePtr image;
  int action = 0;
  int visible = 1;
  int group = 0;
  int hover = 0;

  // Loads "GFX/Menu/" + file, appends the (hidden) button to the list.
  static std::shared_ptr<Button> Create(float x, float y, const std::string& file, int action,
                                        int group);
  // Hover and click handling of the live buttons; once per frame.
  static void UpdateAll();
  static void DoAction(int action);
  // Draws the live buttons in the menu colours.
  static void DrawAll();
  // Draws this button with the popup's alpha (play's level-end buttons).
  void Draw();
  static void ShowGroup(int group);
  static void HideAll();

  // Pointer box (px, py)-(px + 1, py + 1) against the button box, edges
  // included.
  bool Hovers(float px, float py) const;
};
using ButtonPtr = std::shared_ptr<Button>;

enum KeyPromptValue {
  kKeyPromptNone = 0,
  kKeyPromptLeft = 1,
  kKeyPromptRight = 2,
  kKeyPromptJump = 3,
  kKeyPromptSlowMo = 4,
};

struct ButtonVars {
  std::vector<ButtonPtr> ButtonList;
  // The level-end buttons, for play's popup.
  ButtonPtr BtnReplay, BtnNext, BtnExit, BtnReplayAlt, BtnExitAlt;
  // Which key the key definition screen waits for.
  int KeyPromptIndex = kKeyPromptNone;
};
extern ButtonVars Buttons;

// The work of the actions that lies in play, above the buttons: the replay
// button restarts the level, the ghosts button deletes the pack's replays.
// Play installs them (play::InstallButtonActions); unset, they do nothing.
struct ButtonActionHooks {
  void (*RestartLevel)() = nullptr;
  void (*DeletePackReplays)() = nullptr;
};
extern ButtonActionHooks ButtonHooks;

// Empties the list and the named buttons (tests).
void ResetButtons();

// Creates rows firstRow..lastRow (1-based, inclusive) of the button table in
// order. The start-up calls CreateButtons(1, 27) and later CreateButtons(28, 32).
constexpr int kButtonRows = 32;
void CreateButtons(int firstRow, int lastRow);

}  // namespace fe
