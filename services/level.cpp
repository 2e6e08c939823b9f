#include "services/level.h"

#include "platform/files.h"
#include "platform/packpath.h"
#include "services/config.h"
#include "services/gamestate.h"

namespace play {

LevelVars Level;

void ResetLevel() { Level = LevelVars{}; }

namespace {

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
  if (fe::IsBuiltinPack(pack)) return "incbin::" + std::to_string(n < 0 ? 0 : n) + ".doy";
  return PackLevelFile(pack, n);
}

std::string ReplayPath(const std::string& pack, int n) {
  return plat::PackPath(pack, "/replays/" + std::to_string(n) + ".doyplay");
}

bool ReadLevel(const std::string& pack, int n, LevelData& into) {
  const std::string path = LevelPath(pack, n);
  // Only levels 0..50 are built in; a higher number is a missing level, as
  // is a pack file that is not a plain file or cannot be opened.
  const bool present =
      fe::IsBuiltinPack(pack) ? n <= kLevelCount : plat::FileType(path) == plat::kFileNormal;
  plat::StreamPtr in = present ? plat::ReadFile(path) : nullptr;
  if (!in) return false;
  DecodeLevel(*in, into);
  in->Close();
  return true;
}

int LoadLevel(int n) {
  Level.LevelDirty = 0;
  if (!ReadLevel(fe::Game.CurrentPack, n, Level)) ClearGridsAndTexts();
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
