// Settings ("Data/config.dat"), records ("scores.dat" of each pack) and the
// built-in pack's progress status ("status.dat").
#pragma once
#include <map>
#include <string>

#include "platform/input.h"
#include "services/level.h"

namespace fe {

constexpr int EmptyRecordTime = 1410065407;  // shows as "--.--:--"
// Characters of a record holder's name: what the name field takes, and what
// is read of each name line.
constexpr int kRecordNameMax = 8;

struct SettingsVars {
  float MusicVolume = 1.0f;
  float SfxVolume = 1.0f;
  // Virtual-key codes; a letter's code is its capital.
  int KeyBindLeft = 'A';
  int KeyBindRight = 'D';
  int KeyBindUp = 'W';
  int KeyBindDown = 'S';
  int KeyBindSlowMo = plat::vk::Space;
  int FullScreen = 1;
  int GraphicsDriverChoice = 0;
  // The settings file is there but could not be read: it is not written.
  bool ConfigHeld = false;
  // Why the last save of the settings failed, as told on stderr; "" while
  // saves succeed.
  std::string ConfigSaveFailure;
};
extern SettingsVars Settings;

struct RecordsVars {
  int RecordTimes[play::kLevelSlots][5] = {};
  std::string RecordNames[play::kLevelSlots][5];
  int ShownRecordTimes[5] = {};
  std::string ShownRecordNames[5];
  std::string ShownRecordTimeTexts[5];
  int LevelStatus[play::kLevelSlots] = {};
  int RowBonus[5] = {};
  int PackLevelPlayable[play::kLevelSlots] = {};
  // Set once the status file has been read (or found missing); until then
  // writing the status reads it first, so saved progress is never replaced
  // by the all-locked start value.
  bool StatusRead = false;
  // Files found but unreadable at their last load, which are not written:
  // the records file's path ("" for none) and the status file.
  std::string RecordsHeldPath;
  bool StatusHeld = false;
  // Why the last save of a records file (by path) or of the status file
  // failed, as told on stderr; "" or no entry while saves succeed.
  std::map<std::string, std::string> SaveFailures;
};
extern RecordsVars Records;

void ResetAllRecords();
void ResetLevelRecords(int level);
void LoadRecords();
// The saves return whether the file now holds what is in memory. One that
// fails keeps the values in memory for the next try and says so on stderr,
// once until a save of that file succeeds again or fails for another
// reason: the dispatcher tries on every pass. A file held back because it
// could not be read is not written and not reported again.
bool SaveRecordsAndStatus();
void LoadStatus();
int FindRecordPlace(int level, int time);
void InsertRecord(int level, int time, const std::string& name);
void BuildRecordTexts(int level);
void DrawRecords();
void UnlockLevels();
void UpdateRowBonuses();
void InitConfig();
void LoadConfig();
bool SaveConfig();

// Minutes "." two-digit seconds ":" three-digit milliseconds: "1.01:234".
std::string TimeText(int ms);
// TimeText, or "--.--:--" for EmptyRecordTime.
std::string RecordTimeText(int ms);
// True when the status entry with index `level` (the entry of level + 1) is
// open or completed; false for indexes outside the table.
bool NextLevelOpen(int level);

// Removes what saves cut short by a kill left beside the data files.
void RemoveLeftoverSaves();

void ResetSettings();
void ResetRecords();

}  // namespace fe
