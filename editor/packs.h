// The list of packs that the editor's load-pack dialog and the options
// screen share, and the making of a new pack with its folders.
#pragma once
#include <string>
#include <vector>

namespace editor {

constexpr int PackListMax = 22;
constexpr int PackListX = 450;
constexpr int PackListY = 100;
constexpr int PackListWidth = 300;
constexpr int kPackRowHeight = 16;

struct PackListVars {
  // Every pack folder name, in list order.
  std::vector<std::string> PackNames;
  // The box shows PackListMax rows from this name on.
  int PackListTop = 0;
  // Frames the left button has been held on a scroll arrow.
  int ArrowHeldFrames = 0;
  int PackListBoxHeight = PackListMax * kPackRowHeight + 32;
};
extern PackListVars Packs;
void ResetPackList();

// Fills PackNames from the folders under "Data/Packs/", in name order
// (letter case aside); skipBase leaves the built-in pack out (the editor's
// form), else it is always on the list. The box then shows the current
// pack, from the top when it can.
void ScanPacks(int skipBase);
// The name shown in a row of the box (0 the first), "" for an empty row.
const std::string& PackInRow(int row);
// The list box at (PackListX, PackListY) with the current pack's name on
// top, and its scroll arrows when there is more to see that way.
void DrawPackList();
void DrawPackNames(int x, int y);
// Takes the wheel over the box and clicks on its arrows, which move the list
// by rows, and a click on a list row: that pack becomes current with its
// records. inEditor 1 also closes the dialog and loads the pack's level 0
// into the editor; 0 is the options screen's form.
void PickPackFromList(int inEditor);

// Why a pack name cannot be used (a CreatePackResultCode), or kPackCreated
// when it can. The existence test resolves letter case as the file layer
// does, so "BASE" clashes with "base".
int CheckPackName(const std::string& name);
// Makes "Data/Packs/<name>" with its "levels" and "replays" folders and
// makes it the current pack with empty records and an empty level 0.
// Returns a CreatePackResultCode; anything but kPackCreated leaves the
// current pack as it was. A pack made is on the editor's list at once.
int CreatePack(const std::string& name);

}  // namespace editor
