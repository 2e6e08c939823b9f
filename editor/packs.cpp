#include "editor/packs.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "editor/editor.h"
#include "platform/files.h"
#include "platform/gfx.h"
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
  // Only the options' list sets the pack, so the campaign stays on it
  // however many packs sort before it, its folder there or not.
  const bool keepBuiltin = skipBase == 0;
  if (keepBuiltin && std::none_of(names.begin(), names.end(), fe::IsBuiltinPack))
    names.push_back(fe::kBuiltinPack);
  // The list has room for PackListMax names; sorting first makes the ones
  // kept the same on every scan.
  std::sort(names.begin(), names.end(), ListOrder);
  const auto builtin = std::find_if(names.begin(), names.end(), fe::IsBuiltinPack);
  if (keepBuiltin && builtin - names.begin() >= PackListMax)
    std::rotate(names.begin() + PackListMax - 1, builtin, builtin + 1);
  for (int i = 0; i < PackListMax; ++i)
    Packs.PackNames[i] = i < static_cast<int>(names.size()) ? names[static_cast<size_t>(i)] : "";
}

void DrawPackList() {
  const int x = PackListX, y = PackListY, w = PackListWidth, h = Packs.PackListBoxHeight;
  const play::Rgb c = play::CycleRgb(play::Input.AnimCounter);
  const int mx = fe::Game.MenuMouseX, my = fe::Game.MenuMouseY;
  plat::SetAlpha(0.5f);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(x, y, w, h);
  plat::SetColor(c.r / 2, c.g / 2, c.b / 2);
  if (InRows(mx, my, x + w - 16)) {
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
  plat::SetColor(255, 255, 255);
}

void DrawPackNames(int x, int y) {
  for (int i = 0; i < PackListMax; ++i)
    fe::Res.SmallFont->Draw(x + 2, y + 2 + kPackRowHeight * i,
                            Packs.PackNames[i].substr(0, kRowNameChars), 0);
}

void PickPackFromList(int inEditor) {
  const int mx = fe::Game.MenuMouseX, my = fe::Game.MenuMouseY;
  if (!play::Input.MouseClick || !InRows(mx, my, PackListX + PackListWidth - 8)) return;
  const std::string& name = Packs.PackNames[(my - kRowsTop) / kPackRowHeight];
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
  return kPackCreated;
}

}  // namespace editor
