// The editor's help page: a few lines about the control under the pointer.
#include "editor/editor.h"
#include "platform/gfx.h"
#include "services/font.h"
#include "services/input.h"
#include "services/resources.h"
#include "services/shapes.h"

namespace editor {

namespace {

struct HelpLine {
  int y;
  const char* text;
};

struct HelpPage {
  int firstTopic, lastTopic;
  HelpLine lines[10];
};

// Pages by topic: 0 the help button, k + 1 tool row button k (22 also right
// of the last button), 22 the palette, 23 a text field.
const HelpPage kHelpPages[] = {
    {0, 0,
     {{140, "Velkor Editor help"},
      {180, "To get a bit more info about the various controls"},
      {200, "just run the mouse cursor over them."},
      {240, "When youve seen enough, click the help button again."}}},
    {1, 1,
     {{140, "Draw tool"},
      {180, "Use this to draw tiles one by one."},
      {200, "You can hold the left mouse button to draw a trail"},
      {220, "of tiles."},
      {240, "Click or hold the right mouse button to delete tiles."}}},
    {2, 2,
     {{140, "Fill tool"},
      {180, "Use this to fill a large rectangle of tiles."},
      {200, "Click the left mouse button to select the start point."},
      {220, "Move the mouse to where you want the rectangle to end."},
      {240, "Now click the left mouse button again to confirm."},
      {260, "All tiles between the two points will be filled."},
      {300, "Right click on the map at any time to cancel."}}},
    {3, 3,
     {{140, "Player start"},
      {180, "Left click where you want the player to start."},
      {200, "Remove the player start by right clicking on it."},
      {220, "Removing the start icon will hide the map from the"},
      {240, "level select screen."}}},
    {4, 4,
     {{140, "Player End"},
      {180, "Left click where you want the level finish"},
      {200, "to be located"}}},
    {5, 7,
     {{140, "Level controls"},
      {180, "The left button moves to the previous level."},
      {200, "The right button moves to the next level."},
      {220, "The middle indicates what the current level is."},
      {240, "Dont worry about saving, it is"},
      {260, "automatically done for you."},
      {280, "Remember, level 0 is reserved for the"},
      {300, "title screen background!"}}},
    {8, 9,
     {{140, "Pack controls"},
      {180, "Level packs contain upto 50 levels."},
      {200, "To start a new one, click the new pack button."},
      {220, "To load a pack, press the load button."},
      {280, "When youre happy with your levels, why not upload them"},
      {300, "to the velkor website?"},
      {320, "You can do this by going to the options menu,"},
      {340, "clicking the pack you want to upload"},
      {360, "and then clicking the upload button."}}},
    {10, 10,
     {{140, "Play test"},
      {180, "Click this button to play test your current level."}}},
    {11, 11,
     {{140, "Clear the map"},
      {180, "This button clears the whole map!"},
      {200, "Be careful because you cannot undo it."},
      {220, "A question asks you to confirm first."},
      {260, "Only the current level will be wiped"}}},
    {12, 13,
     {{140, "Changer tools"},
      {180, "Much like the standard draw and fill tools,"},
      {200, "but this one draws and fills the changer block."},
      {240, "Drawing skips standard blocks of the selected colour."}}},
    {14, 15,
     {{140, "Zone tools"},
      {180, "Again, like the standard draw and fill tools,"},
      {200, "but used for drawing zones."},
      {240, "Drawing skips standard blocks of the selected colour."}}},
    {16, 16,
     {{140, "Coin tool"},
      {180, "Use the left mouse button to place a coin and"},
      {200, "the right mouse button to delete them"},
      {240, "Make sure they are all possible to get, else you"},
      {260, "wont be able to finish the level!"}}},
    {17, 17,
     {{140, "Neutral blocks"},
      {180, "Use this tool to draw the grey, safe blocks."},
      {200, "It skips standard blocks of the selected colour."}}},
    {18, 18,
     {{140, "No rope zone"},
      {180, "Used to draw no-rope zones"},
      {200, "It skips standard blocks of the selected colour."}}},
    {19, 21,
     {{140, "Control options"},
      {180, "Use these buttons to define how the player"},
      {200, "may or may not play the level!"},
      {220, "Green means on and red means off."},
      {260, "The first button controls standard movement."},
      {280, "The second controls shooting ability."},
      {300, "The third controls the use of the velkor rope."}}},
    {22, 22,
     {{140, "Colour select"},
      {180, "The colour tool defines what colour you will draw with"},
      {220, "The following are affected by this"},
      {240, "Standard blocks"},
      {260, "Changer blocks"},
      {280, "Zones"}}},
    {23, 23,
     {{140, "Input boxes"},
      {180, "Use the input boxes to store your name"},
      {200, "and the name of the level."},
      {220, "What you type is kept; enter ends the typing."}}},
};

}  // namespace

void DrawEditorHelp() {
  if (Editor.EditorHelpVisible != 1) return;
  plat::SetAlpha(0.5f);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(100, 100, 600, 368);
  plat::SetColor(255, 255, 255);
  plat::SetAlpha(1);
  play::DrawRectOutline(100, 100, 600, 368);
  const int topic = Editor.EditorHelpTopic;
  for (const HelpPage& page : kHelpPages) {
    if (topic < page.firstTopic || topic > page.lastTopic) continue;
    for (const HelpLine& line : page.lines)
      if (line.text) fe::Res.SmallFont->Draw(140, line.y, line.text, 0);
  }
}

}  // namespace editor
