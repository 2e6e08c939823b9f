// The list of packs that the editor's load-pack dialog and the options
// screen share, and the making of a new pack with its folders.
#pragma once
#include <string>

namespace editor {

constexpr int PackListMax = 22;
constexpr int PackListX = 450;
constexpr int PackListY = 100;
constexpr int PackListWidth = 300;
constexpr int kPackRowHeight = 16;

struct PackListVars {
  // Pack folder names, "" for an empty slot.
  std::string PackNames[PackListMax];
  int PackListBoxHeight = PackListMax * kPackRowHeight + 32;
};
extern PackListVars Packs;
void ResetPackList();

// Fills PackNames from the folders under "Data/Packs/", in name order
// (letter case aside), at most PackListMax of them; skipBase leaves the
// built-in pack out (the editor's form), else it is always on the list.
void ScanPacks(int skipBase);
// The list box at (PackListX, PackListY) with the current pack's name on top.
void DrawPackList();
void DrawPackNames(int x, int y);
// Takes a click on a list row: that pack becomes current with its records.
// inEditor 1 also closes the dialog and loads the pack's level 0 into the
// editor; 0 is the options screen's form.
void PickPackFromList(int inEditor);

// Why a pack name cannot be used (a CreatePackResultCode), or kPackCreated
// when it can. The existence test resolves letter case as the file layer
// does, so "BASE" clashes with "base".
int CheckPackName(const std::string& name);
// Makes "Data/Packs/<name>" with its "levels" and "replays" folders and
// makes it the current pack with empty records and an empty level 0.
// Returns a CreatePackResultCode; anything but kPackCreated leaves the
// current pack as it was.
int CreatePack(const std::string& name);

}  // namespace editor
