#include "editor/packs.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "editor/editor.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "platform/packpath.h"
#include "platform/system.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/palette.h"
#include "services/resources.h"
#include "services/shapes.h"

namespace editor {

PackListVars Packs;

void ResetPackList() { Packs = PackListVars{}; }

namespace {

constexpr int kHeaderNameChars = 14;
constexpr int kRowNameChars = 26;
constexpr int kRowsTop = PackListY + 24;
constexpr int kRowsBottom = kRowsTop + PackListMax * kPackRowHeight;
constexpr int kInputDelayFrames = 10;
// A wheel notch moves the list as far as in most programs.
constexpr int kWheelRows = 3;
// Scroll arrows in the right end of the first and the last row, each in a
// cell of a row's height.
constexpr int kArrowSize = kPackRowHeight;
constexpr int kArrowX = PackListX + PackListWidth - 8 - kArrowSize;
constexpr int kArrowTriangleRows = 5;
// An arrow held down moves on by itself, after a pause, as scroll arrows do.
constexpr int kArrowRepeatDelayFrames = 20;
constexpr int kArrowRepeatFrames = 4;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Alphabetical for the reader; names that differ only in case keep a fixed
// order among themselves.
bool ListOrder(const std::string& a, const std::string& b) {
  const std::string la = Lower(a), lb = Lower(b);
  return la != lb ? la < lb : a < b;
}

// Pack folders are made and tested from the program folder, whatever the
// working folder is.
std::string ProgramPackPath(const std::string& name) {
  return plat::ProgramDir() + "/" + plat::PackPath(name);
}

bool InRows(int x, int y, int right) {
  return x >= PackListX + 8 && x < right && y >= kRowsTop && y < kRowsBottom;
}

int PackCount() { return static_cast<int>(Packs.PackNames.size()); }
int LastTop() { return std::max(0, PackCount() - PackListMax); }

void ScrollBy(int rows) { Packs.PackListTop = std::clamp(Packs.PackListTop + rows, 0, LastTop()); }

// The arrow cell under the pointer: -1 the upper, 1 the lower, 0 none. While
// the list is longer than the box both cells belong to the arrows, drawn or
// not, so that clicks that run an arrow to its end pick no pack.
int ArrowCellAt(int x, int y) {
  if (PackCount() <= PackListMax || x < kArrowX || x >= kArrowX + kArrowSize) return 0;
  if (y >= kRowsTop && y < kRowsTop + kArrowSize) return -1;
  if (y >= kRowsBottom - kArrowSize && y < kRowsBottom) return 1;
  return 0;
}

int ArrowCellTop(int step) { return step < 0 ? kRowsTop : kRowsBottom - kArrowSize; }

// An arrow is there only while there is more to see its way.
bool ArrowShown(int step) {
  return step < 0 ? Packs.PackListTop > 0 : step > 0 && Packs.PackListTop < LastTop();
}

// The wheel over the box, a click on an arrow and an arrow held. Returns
// true when the pointer is on an arrow cell, which no row click reaches.
bool TakeScrolling(int x, int y) {
  // Read every frame: turns made with the pointer elsewhere are dropped.
  const int notches = plat::MouseWheel();
  if (notches != 0 && x >= PackListX && x < PackListX + PackListWidth && y >= PackListY &&
      y < PackListY + Packs.PackListBoxHeight)
    ScrollBy(-notches * kWheelRows);
  const int step = ArrowCellAt(x, y);
  int& held = Packs.ArrowHeldFrames;
  if (step == 0 || !ArrowShown(step)) {
    held = 0;
    return step != 0;
  }
  if (play::Input.MouseClick) {
    ScrollBy(step);
    held = 0;
  } else if (play::Input.MouseDown1) {
    ++held;
    if (held >= kArrowRepeatDelayFrames && (held - kArrowRepeatDelayFrames) % kArrowRepeatFrames == 0)
      ScrollBy(step);
  } else {
    held = 0;
  }
  return true;
}

// The cell's outline and a small triangle in it, a pixel row at a time, in
// the colour in force (the box's outline colour).
void DrawArrow(int step) {
  const int top = ArrowCellTop(step);
  play::DrawRectOutline(kArrowX, top, kArrowSize, kArrowSize);
  const int middle = kArrowX + kArrowSize / 2;
  for (int i = 0; i < kArrowTriangleRows; ++i) {
    const int half = i + 1;
    const int y = step < 0 ? top + 5 + i : top + kArrowSize - 6 - i;
    plat::DrawRect(static_cast<float>(middle - half), static_cast<float>(y),
                   static_cast<float>(2 * half), 1);
  }
}

// Brings the named pack into view: into the last row when it lies past the
// box's rows, else the list shows from its top.
void ShowInList(const std::string& name) {
  const auto at = std::find(Packs.PackNames.begin(), Packs.PackNames.end(), name);
  const int index = static_cast<int>(at - Packs.PackNames.begin());
  Packs.PackListTop = at == Packs.PackNames.end() ? 0 : std::clamp(index - PackListMax + 1, 0, LastTop());
}

}  // namespace

void ScanPacks(int skipBase) {
  std::vector<std::string> names;
  for (const std::string& name : plat::ReadDir(plat::kPacksDir)) {
    // A folder whose name no path may hold cannot be a pack.
    const std::string path = plat::PackPath(name);
    if (path.empty() || plat::FileType(path) != plat::kFileDir) continue;
    if (skipBase == 1 && fe::IsBuiltinPack(name)) continue;
    names.push_back(name);
  }
  // Only the options' list sets the pack, so the campaign stays on it, its
  // folder there or not.
  if (skipBase == 0 && std::none_of(names.begin(), names.end(), fe::IsBuiltinPack))
    names.push_back(fe::kBuiltinPack);
  std::sort(names.begin(), names.end(), ListOrder);
  Packs.PackNames = std::move(names);
  Packs.ArrowHeldFrames = 0;
  ShowInList(fe::Game.CurrentPack);
  // Turns of the wheel made before the list was shown do not move it.
  plat::MouseWheel();
}

const std::string& PackInRow(int row) {
  static const std::string kEmpty;
  const int index = Packs.PackListTop + row;
  return row >= 0 && row < PackListMax && index < PackCount() ? Packs.PackNames[static_cast<size_t>(index)]
                                                               : kEmpty;
}

void DrawPackList() {
  const int x = PackListX, y = PackListY, w = PackListWidth, h = Packs.PackListBoxHeight;
  const play::Rgb c = play::CycleRgb(play::Input.AnimCounter);
  const int mx = fe::Game.MenuMouseX, my = fe::Game.MenuMouseY;
  plat::SetAlpha(0.5f);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(x, y, w, h);
  plat::SetColor(c.r / 2, c.g / 2, c.b / 2);
  if (const int step = ArrowCellAt(mx, my)) {
    if (ArrowShown(step))
      plat::DrawRect(kArrowX, static_cast<float>(ArrowCellTop(step)), kArrowSize, kArrowSize);
  } else if (InRows(mx, my, x + w - 16)) {
    const int top = my - (my - kRowsTop) % kPackRowHeight;
    plat::DrawRect(x + 8, static_cast<float>(top), w - 16, kPackRowHeight);
  }
  plat::SetAlpha(1);
  plat::SetColor((c.r + 255) / 2, (c.g + 255) / 2, (c.b + 255) / 2);
  play::DrawRectOutline(x, y, w, h);
  play::DrawRectOutline(x + 8, kRowsTop, w - 16, h - 32);
  fe::Res.SmallFont->Draw(x, y + 2,
                          " Current Pack: " + fe::Game.CurrentPack.substr(0, kHeaderNameChars), 0);
  plat::DrawLine(x, y + 16, x + w, y + 16);
  DrawPackNames(x + 8, kRowsTop);
  for (const int step : {-1, 1})
    if (ArrowShown(step)) DrawArrow(step);
  plat::SetColor(255, 255, 255);
}

void DrawPackNames(int x, int y) {
  for (int i = 0; i < PackListMax; ++i)
    fe::Res.SmallFont->Draw(x + 2, y + 2 + kPackRowHeight * i, PackInRow(i).substr(0, kRowNameChars), 0);
}

void PickPackFromList(int inEditor) {
  const int mx = fe::Game.MenuMouseX, my = fe::Game.MenuMouseY;
  if (TakeScrolling(mx, my)) return;
  if (!play::Input.MouseClick || !InRows(mx, my, PackListX + PackListWidth - 8)) return;
  const std::string name = PackInRow((my - kRowsTop) / kPackRowHeight);
  if (name.empty()) return;
  fe::Game.CurrentPack = name;
  fe::LoadRecords();
  if (inEditor == 1) {
    play::Level.EditorDialog = kDialogNone;
    Editor.EditorLevel = 0;
    play::LoadLevel(0);
    FieldsFromLevel(true);
    play::PollInput(1);
  }
  Editor.EditorInputDelay = kInputDelayFrames;
}

int CheckPackName(const std::string& name) {
  if (name.find_first_not_of(' ') == std::string::npos) return kPackNameEmpty;
  if (!plat::IsSafePackName(name))
    return name.find_first_of("/\\") != std::string::npos ? kPackNameSeparator : kPackNameInvalid;
  // A drive separator elsewhere, and the pack's name in its archive.
  if (name.find(':') != std::string::npos) return kPackNameSeparator;
  // The file layer matches each part of a path without regard to case, so a
  // name that differs only in case would land in the existing folder.
  if (plat::FileType(ProgramPackPath(name)) != plat::kFileNone) return kPackExists;
  return kPackCreated;
}

int CreatePack(const std::string& name) {
  const int verdict = CheckPackName(name);
  if (verdict != kPackCreated) return verdict;
  const std::string dir = ProgramPackPath(name);
  if (!plat::CreateDir(dir)) return kPackNotCreated;
  const bool levels = plat::CreateDir(dir + "/levels/");
  if (!levels || !plat::CreateDir(dir + "/replays/")) {
    // A pack without its folders would take no level; leave nothing behind.
    if (levels) plat::DeleteDir(dir + "/levels/");
    plat::DeleteDir(dir);
    return kPackNotCreated;
  }
  fe::Game.CurrentPack = name;
  fe::ResetAllRecords();
  play::LoadLevel(0);  // no file yet: an empty level without name or author
  FieldsFromLevel(false);
  ScanPacks(1);
  return kPackCreated;
}

}  // namespace editor
