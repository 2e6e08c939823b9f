#include "services/level.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"
#include "platform/packpath.h"
#include "services/config.h"
#include "services/gamestate.h"

namespace play {

LevelVars Level;

void ResetLevel() { Level = LevelVars{}; }

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsBuiltinPack(const std::string& pack) { return Lower(pack) == "base"; }

// Empties the grids and the texts; the flags keep the values of the level
// before. A level without a file must not take another level's name and
// author: the editor would save them into it.
void ClearGridsAndTexts() {
  Level.Clear();
  Level.LevelName.clear();
  Level.LevelAuthor.clear();
}

std::string PackLevelFile(const std::string& pack, int n) {
  return plat::PackPath(pack, "/Levels/" + std::to_string(n) + ".doy");
}

}  // namespace

std::string LevelPath(const std::string& pack, int n) {
  if (IsBuiltinPack(pack)) return "incbin::" + std::to_string(n < 0 ? 0 : n) + ".doy";
  return PackLevelFile(pack, n);
}

std::string ReplayPath(const std::string& pack, int n) {
  return plat::PackPath(pack, "/replays/" + std::to_string(n) + ".doyplay");
}

int LoadLevel(int n) {
  Level.LevelDirty = 0;
  const std::string& pack = fe::Game.CurrentPack;
  const std::string path = LevelPath(pack, n);
  // Only levels 0..50 are built in; a higher number is a missing level, as
  // is a pack file that is not a plain file or cannot be opened.
  const bool present =
      IsBuiltinPack(pack) ? n <= kLevelCount : plat::FileType(path) == plat::kFileNormal;
  plat::StreamPtr in = present ? plat::ReadFile(path) : nullptr;
  if (!in) {
    ClearGridsAndTexts();
    return 0;
  }
  DecodeLevel(*in, Level);
  in->Close();
  return 0;
}

int SaveLevel(int n) {
  if (Level.EditorDialog != 0) return 0;
  const std::string& pack = fe::Game.CurrentPack;
  const std::vector<uint8_t> bytes = EncodeLevel(Level);
  // Written beside the old file and renamed over it, so a failed save keeps
  // the level that was there; a replay and records only go once the new
  // level is safely on disk.
  if (!plat::SaveFileSafely(PackLevelFile(pack, n), bytes, false)) return -1;
  if (Level.LevelDirty != 0) {
    const std::string replay = ReplayPath(pack, n);
    if (plat::FileType(replay) == plat::kFileNormal) plat::DeleteFile(replay);
    if (n >= 0 && n <= kLevelCount) fe::ResetLevelRecords(n);
  }
  return 0;
}

}  // namespace play
