#include "services/config.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/packpath.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/resources.h"

namespace fe {

SettingsVars Settings;
RecordsVars Records;

namespace {

const char kEmptyRecordName[] = "PLAY ME!";
const char kEmptyTimeText[] = "--.--:--";
const char kConfigPath[] = "Data/config.dat";
const char kStatusPath[] = "data/packs/base/status.dat";
constexpr int kLevels = play::kLevelSlots;
constexpr int kPlaces = 5;

bool ValidLevel(int level) { return level >= 0 && level < kLevels; }

std::string RecordsPath() { return plat::PackPath(Game.CurrentPack, "/scores.dat"); }

// Key tables are indexed by these codes; a damaged file must not point
// outside them. Code 0 is no key at all: a cut file would leave the figure
// without a way to move, and no screen yet to bind one.
int CheckedKey(int32_t code, int fallback) { return code > 0 && code <= 255 ? code : fallback; }

// A file that is there but cannot be read keeps what the player made in it:
// this run goes on with defaults in memory and never writes that file.
void ReportUnreadable(const std::string& path) {
  std::fprintf(stderr,
               "velkor: cannot read %s; it is left as it is, and this run uses defaults "
               "without saving over it\n",
               path.c_str());
}

// Saves the file; a failure is told once, until the file saves again or
// fails for another reason (told holds the reason last told).
bool SaveTelling(const std::string& path, const std::vector<uint8_t>& bytes, std::string& told) {
  std::string why;
  if (plat::SaveFileSafely(path, bytes, true, &why)) {
    told.clear();
    return true;
  }
  if (why.empty()) why = "unknown error";
  if (why != told)
    std::fprintf(stderr, "velkor: %s: not saved: %s\n", path.c_str(), why.c_str());
  told = why;
  return false;
}

float CheckedVolume(int32_t stored) {
  const float v = static_cast<float>(stored) / 1000.0f;
  return std::clamp(v, 0.0f, 1.0f);
}

bool SaveStatus() {
  // The status file may hold progress from earlier runs that this run has
  // not read yet (the records are read first at start-up).
  if (!Records.StatusRead) LoadStatus();
  if (Records.StatusHeld) return false;
  plat::MemoryStream out;
  for (int v : Records.LevelStatus) out.WriteInt(v);
  for (int v : Records.RowBonus) out.WriteInt(v);
  return SaveTelling(kStatusPath, out.Bytes(), Records.SaveFailures[kStatusPath]);
}

bool SaveRecords() {
  const std::string path = RecordsPath();
  // No path: a pack name that would lead out of the packs folder.
  if (path.empty() || path == Records.RecordsHeldPath) return false;
  plat::MemoryStream out;
  for (int l = 0; l < kLevels; ++l)
    for (int p = 0; p < kPlaces; ++p) out.WriteInt(Records.RecordTimes[l][p]);
  for (int l = 0; l < kLevels; ++l)
    for (int p = 0; p < kPlaces; ++p) out.WriteLine(Records.RecordNames[l][p]);
  return SaveTelling(path, out.Bytes(), Records.SaveFailures[path]);
}

}  // namespace

std::string TimeText(int t) {
  const int minutes = t / 60000;
  const int seconds = (t % 60000) / 1000;
  const int millis = t % 1000;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%d.%02d:%03d", minutes, seconds, millis);
  return buf;
}

std::string RecordTimeText(int t) { return t == EmptyRecordTime ? kEmptyTimeText : TimeText(t); }

void ResetAllRecords() {
  for (int l = 0; l < kLevels; ++l) ResetLevelRecords(l);
  SaveRecordsAndStatus();
}

void ResetLevelRecords(int level) {
  if (!ValidLevel(level)) return;
  for (int p = 0; p < kPlaces; ++p) {
    Records.RecordTimes[level][p] = EmptyRecordTime;
    Records.RecordNames[level][p] = kEmptyRecordName;
  }
}

void LoadRecords() {
  const std::string path = RecordsPath();
  Records.RecordsHeldPath.clear();
  plat::OpenStatus status;
  plat::StreamPtr in = plat::ReadFile(path, status);
  if (status == plat::OpenStatus::kMissing) {
    ResetAllRecords();
    return;
  }
  if (in) {
    RecordsVars read;
    for (int l = 0; l < kLevels; ++l)
      for (int p = 0; p < kPlaces; ++p) read.RecordTimes[l][p] = in->ReadInt();
    for (int l = 0; l < kLevels; ++l)
      for (int p = 0; p < kPlaces; ++p) read.RecordNames[l][p] = in->ReadLine(kRecordNameMax);
    if (!in->Failed()) {
      std::copy(&read.RecordTimes[0][0], &read.RecordTimes[0][0] + kLevels * kPlaces,
                &Records.RecordTimes[0][0]);
      std::move(&read.RecordNames[0][0], &read.RecordNames[0][0] + kLevels * kPlaces,
                &Records.RecordNames[0][0]);
      return;
    }
  }
  for (int l = 0; l < kLevels; ++l) ResetLevelRecords(l);
  Records.RecordsHeldPath = path;
  ReportUnreadable(path);
}

bool SaveRecordsAndStatus() {
  const bool records = SaveRecords();
  return SaveStatus() && records;
}

void LoadStatus() {
  Records.StatusRead = true;
  plat::OpenStatus status;
  plat::StreamPtr in = plat::ReadFile(kStatusPath, status);
  if (status == plat::OpenStatus::kMissing) return;
  if (in) {
    int levels[kLevels], rows[5];
    for (int& v : levels) v = in->ReadInt();
    for (int& v : rows) v = in->ReadInt();
    if (!in->Failed()) {
      std::copy(levels, levels + kLevels, Records.LevelStatus);
      std::copy(rows, rows + 5, Records.RowBonus);
      return;
    }
  }
  Records.StatusHeld = true;
  ReportUnreadable(kStatusPath);
}

int FindRecordPlace(int level, int time) {
  if (!ValidLevel(level)) return -1;
  for (int p = 0; p < kPlaces; ++p)
    if (Records.RecordTimes[level][p] > time) return p;
  return -1;
}

void InsertRecord(int level, int time, const std::string& name) {
  const int place = FindRecordPlace(level, time);
  if (place < 0) return;
  for (int q = kPlaces - 2; q >= place; --q) {
    Records.RecordTimes[level][q + 1] = Records.RecordTimes[level][q];
    Records.RecordNames[level][q + 1] = Records.RecordNames[level][q];
  }
  Records.RecordTimes[level][place] = time;
  Records.RecordNames[level][place] = name;
}

void BuildRecordTexts(int level) {
  for (int i = 0; i < kPlaces; ++i) {
    if (level <= 0 || !ValidLevel(level)) {
      Records.ShownRecordNames[i].clear();
      Records.ShownRecordTimeTexts[i] = kEmptyTimeText;
      continue;
    }
    Records.ShownRecordTimes[i] = Records.RecordTimes[level][i];
    Records.ShownRecordNames[i] = Records.RecordNames[level][i];
    Records.ShownRecordTimeTexts[i] = RecordTimeText(Records.RecordTimes[level][i]);
  }
}

void DrawRecords() {
  if (!Res.SmallFont) return;
  for (int i = 0; i < kPlaces; ++i) {
    const int c = 5 - i;
    plat::SetColor(Res.BlockPaletteR[c], Res.BlockPaletteG[c], Res.BlockPaletteB[c]);
    Res.SmallFont->Draw(520, 490 + 16 * i, Records.ShownRecordNames[i], -1);
    Res.SmallFont->Draw(540, 490 + 16 * i, Records.ShownRecordTimeTexts[i], 0);
  }
  plat::SetColor(255, 255, 255);
}

void UnlockLevels() {
  int count = 0;
  for (int& s : Records.LevelStatus) {
    if (s == 0 && count < 3) {
      s = 1;
      ++count;
    } else if (s == 1) {
      ++count;
    }
  }
}

void UpdateRowBonuses() {
  for (int r = 0; r < 5; ++r) {
    const int* row = Records.LevelStatus + 10 * r;
    if (std::all_of(row, row + 10, [](int s) { return s == 2; }) && Records.RowBonus[r] == 0)
      Records.RowBonus[r] = 1;
  }
}

bool NextLevelOpen(int level) {
  return ValidLevel(level) && Records.LevelStatus[level] > 0;
}

void InitConfig() {
  plat::OpenStatus status;
  plat::ReadFile(kConfigPath, status);
  if (status == plat::OpenStatus::kMissing) {
    plat::MemoryStream out;
    const SettingsVars d;
    for (int v : {1000, 1000, d.KeyBindUp, d.KeyBindDown, d.KeyBindLeft, d.KeyBindRight,
                  d.KeyBindSlowMo, 1, 0})
      out.WriteInt(v);
    SaveTelling(kConfigPath, out.Bytes(), Settings.ConfigSaveFailure);
  }
  LoadConfig();
}

void LoadConfig() {
  plat::OpenStatus status;
  plat::StreamPtr in = plat::ReadFile(kConfigPath, status);
  Settings.ConfigHeld = false;
  if (status == plat::OpenStatus::kMissing) return;
  if (in) {
    const SettingsVars defaults;
    SettingsVars read = Settings;
    read.MusicVolume = CheckedVolume(in->ReadInt());
    read.SfxVolume = CheckedVolume(in->ReadInt());
    read.KeyBindUp = CheckedKey(in->ReadInt(), defaults.KeyBindUp);
    read.KeyBindDown = CheckedKey(in->ReadInt(), defaults.KeyBindDown);
    read.KeyBindLeft = CheckedKey(in->ReadInt(), defaults.KeyBindLeft);
    read.KeyBindRight = CheckedKey(in->ReadInt(), defaults.KeyBindRight);
    read.KeyBindSlowMo = CheckedKey(in->ReadInt(), defaults.KeyBindSlowMo);
    read.FullScreen = in->ReadInt();
    if (!in->Eof()) read.GraphicsDriverChoice = in->ReadInt();
    if (!in->Failed()) {
      Settings = read;
      return;
    }
  }
  Settings.ConfigHeld = true;
  ReportUnreadable(kConfigPath);
}

bool SaveConfig() {
  if (Settings.ConfigHeld) return false;
  plat::MemoryStream out;
  // Formed in double from the single-precision volume and truncated: 0.9f
  // is stored as 899.
  out.WriteInt(static_cast<int32_t>(static_cast<double>(Settings.MusicVolume) * 1000.0));
  out.WriteInt(static_cast<int32_t>(static_cast<double>(Settings.SfxVolume) * 1000.0));
  for (int v : {Settings.KeyBindUp, Settings.KeyBindDown, Settings.KeyBindLeft,
                Settings.KeyBindRight, Settings.KeyBindSlowMo, Settings.FullScreen,
                Settings.GraphicsDriverChoice})
    out.WriteInt(v);
  return SaveTelling(kConfigPath, out.Bytes(), Settings.ConfigSaveFailure);
}

void RemoveLeftoverSaves() {
  plat::RemoveStaleSaveTemps("Data");
  plat::RemoveStaleSaveTemps(plat::kPacksDir);  // the packs' archives
  for (const std::string& pack : plat::ReadDir(plat::kPacksDir)) {
    // Earlier versions wrote an archive as "<pack>.zip.part" first.
    const std::string path = std::string(plat::kPacksDir) + "/" + pack;
    if (pack.ends_with(".zip.part") && plat::FileType(path) == plat::kFileNormal &&
        !plat::IsSymbolicLink(path)) {
      plat::DeleteFile(path);
      continue;
    }
    const std::string dir = plat::PackPath(pack);
    if (dir.empty() || plat::FileType(dir) != plat::kFileDir) continue;
    for (const char* sub : {"", "/Levels", "/replays"}) plat::RemoveStaleSaveTemps(dir + sub);
  }
}

void ResetSettings() { Settings = SettingsVars(); }
void ResetRecords() { Records = RecordsVars(); }

}  // namespace fe
