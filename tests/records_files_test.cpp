// Settings, records and progress files byte for byte, and the record and
// progress rules.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "frontend/startup.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/resources.h"
#include "support/bytes.h"
#include "support/sandbox.h"
#include "support/unprivileged.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutInt(Bytes& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

Bytes Ints(std::initializer_list<int32_t> values) {
  Bytes b;
  for (int32_t v : values) PutInt(b, v);
  return b;
}

using vtest::IntAt;

// A program folder of its own with the directories the files live in.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = vtest::MakeTempDir("records");
    fs::create_directories(dir_ + "/Data");
    fs::create_directories(dir_ + "/data/packs/base");
    fs::create_directories(dir_ + "/data/packs/mine");
    old_ = fs::current_path().string();
    fs::current_path(dir_);
    vtest::ResetAllState();
  }
  void TearDown() override {
    plat::SetSafeSaveFaultForTests(0);
    fs::current_path(old_);
    vtest::ResetAllState();
    vtest::RemoveTree(dir_);
  }
  std::string P(const std::string& rel) const { return dir_ + "/" + rel; }

  std::string dir_, old_;
};

// ---------------------------------------------------------------- settings

TEST_F(FilesTest, MissingSettingsFileIsWrittenWithTheDefaultsAndRead) {
  fe::Settings.MusicVolume = 0.3f;
  fe::Settings.GraphicsDriverChoice = 2;
  fe::InitConfig();
  EXPECT_EQ(ReadAll(P("Data/config.dat")), Ints({1000, 1000, 87, 83, 65, 68, 32, 1, 0}));
  EXPECT_EQ(fe::Settings.MusicVolume, 1.0f);
  EXPECT_EQ(fe::Settings.SfxVolume, 1.0f);
  EXPECT_EQ(fe::Settings.KeyBindUp, 87);
  EXPECT_EQ(fe::Settings.KeyBindDown, 83);
  EXPECT_EQ(fe::Settings.KeyBindLeft, 65);
  EXPECT_EQ(fe::Settings.KeyBindRight, 68);
  EXPECT_EQ(fe::Settings.KeyBindSlowMo, 32);
  EXPECT_EQ(fe::Settings.FullScreen, 1);
  EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 0);

  // An existing file is left alone and read.
  WriteAll(P("Data/config.dat"), Ints({500, 200, 1, 2, 3, 4, 5, 0, 1}));
  fe::InitConfig();
  EXPECT_EQ(ReadAll(P("Data/config.dat")), Ints({500, 200, 1, 2, 3, 4, 5, 0, 1}));
  EXPECT_FLOAT_EQ(fe::Settings.MusicVolume, 0.5f);
  EXPECT_FLOAT_EQ(fe::Settings.SfxVolume, 0.2f);
  EXPECT_EQ(fe::Settings.KeyBindUp, 1);
  EXPECT_EQ(fe::Settings.KeyBindSlowMo, 5);
  EXPECT_EQ(fe::Settings.FullScreen, 0);
  EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 1);
}

TEST_F(FilesTest, EightValueSettingsFileKeepsTheDriverChoice) {
  WriteAll(P("Data/config.dat"), Ints({1000, 1000, 87, 83, 65, 68, 32, 0}));
  fe::Settings.GraphicsDriverChoice = 2;
  fe::LoadConfig();
  EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 2);
  EXPECT_EQ(fe::Settings.FullScreen, 0);
  // The next save writes all nine values.
  fe::SaveConfig();
  EXPECT_EQ(ReadAll(P("Data/config.dat")), Ints({1000, 1000, 87, 83, 65, 68, 32, 0, 2}));
}

TEST_F(FilesTest, SavedVolumesAreTruncatedFromDoublePrecision) {
  fe::Settings.MusicVolume = 0.9f;
  fe::Settings.SfxVolume = 0.7f;
  fe::Settings.KeyBindUp = 38;
  fe::Settings.KeyBindDown = 40;
  fe::Settings.KeyBindLeft = 37;
  fe::Settings.KeyBindRight = 39;
  fe::Settings.KeyBindSlowMo = 16;
  fe::Settings.FullScreen = 0;
  fe::Settings.GraphicsDriverChoice = 1;
  fe::SaveConfig();
  // 0.9f is 0.89999998 and 0.7f is 0.69999999: both round down.
  EXPECT_EQ(ReadAll(P("Data/config.dat")), Ints({899, 699, 38, 40, 37, 39, 16, 0, 1}));
}

TEST_F(FilesTest, OutOfRangeSettingsAreMadeSafeInMemory) {
  WriteAll(P("Data/config.dat"), Ints({5000, -300, 256, -1, 255, 0, 100000, 1, 1}));
  fe::LoadConfig();
  EXPECT_EQ(fe::Settings.MusicVolume, 1.0f);
  EXPECT_EQ(fe::Settings.SfxVolume, 0.0f);
  EXPECT_EQ(fe::Settings.KeyBindUp, 87);       // 256: default
  EXPECT_EQ(fe::Settings.KeyBindDown, 83);     // -1: default
  EXPECT_EQ(fe::Settings.KeyBindLeft, 255);    // edge of the tables: kept
  EXPECT_EQ(fe::Settings.KeyBindRight, 68);    // 0: no key, default
  EXPECT_EQ(fe::Settings.KeyBindSlowMo, 32);
}

TEST_F(FilesTest, ShortSettingsFileReadsZerosButEveryKeyStaysBound) {
  Bytes partKey = Ints({700, 300, 87});
  partKey.push_back(0x53);  // one byte of the down key
  const struct {
    Bytes file;
    float music;
    int down;
  } cases[] = {
      {{}, 0.0f, 83},
      {Ints({1000, 1000, 87, 83}), 1.0f, 83},
      {partKey, 0.7f, 83},
  };
  for (const auto& c : cases) {
    WriteAll(P("Data/config.dat"), c.file);
    fe::ResetSettings();
    fe::LoadConfig();
    SCOPED_TRACE(c.file.size());
    EXPECT_FLOAT_EQ(fe::Settings.MusicVolume, c.music);
    EXPECT_EQ(fe::Settings.KeyBindUp, 87);
    EXPECT_EQ(fe::Settings.KeyBindDown, c.down);
    EXPECT_EQ(fe::Settings.KeyBindLeft, 65);
    EXPECT_EQ(fe::Settings.KeyBindRight, 68);
    EXPECT_EQ(fe::Settings.KeyBindSlowMo, 32);
    EXPECT_EQ(fe::Settings.FullScreen, 0);
  }
}

TEST_F(FilesTest, AFailedSaveLeavesTheOldFileWhole) {
  fe::InitConfig();
  const Bytes before = ReadAll(P("Data/config.dat"));
  fe::Settings.KeyBindUp = 1;
  for (int step = 1; step <= 3; ++step) {
    plat::SetSafeSaveFaultForTests(step);
    fe::SaveConfig();
    EXPECT_EQ(ReadAll(P("Data/config.dat")), before) << "fault at step " << step;
  }
  plat::SetSafeSaveFaultForTests(0);
  fe::SaveConfig();
  EXPECT_EQ(IntAt(ReadAll(P("Data/config.dat")), 8), 1);
  // Nothing but the three files is left behind in the folder.
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(P("Data"))) n += e.is_regular_file();
  EXPECT_EQ(n, 1u);
}

// A save that fails is told on stderr, naming the file and why, once until
// the file saves again or fails for another reason; the values stay in
// memory, so a later pass saves them. Each pass saves all three files, as
// the dispatcher does.
TEST_F(FilesTest, AFailedSaveIsToldOnceAndTriedAgainOnEveryPass) {
  const struct {
    const char* file;
    void (*change)();
    bool (*save)();
    size_t offset;
    int32_t value;
  } cases[] = {
      {"Data/config.dat", [] { fe::Settings.KeyBindUp = 38; }, fe::SaveConfig, 8, 38},
      {"data/packs/base/scores.dat", [] { fe::Records.RecordTimes[1][0] = 61234; },
       fe::SaveRecordsAndStatus, 20, 61234},
      {"data/packs/base/status.dat", [] { fe::Records.LevelStatus[3] = 2; },
       fe::SaveRecordsAndStatus, 12, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    vtest::ResetAllState();
    fe::InitConfig();
    fe::LoadRecords();
    fe::LoadStatus();
    const std::string path = P(c.file);
    ::chmod(path.c_str(), 0444);
    vtest::GiveToOrdinaryUser(dir_);
    const auto pass = [&c] {
      const bool records = fe::SaveRecordsAndStatus();
      const bool config = fe::SaveConfig();
      return c.save == fe::SaveConfig ? config : records;
    };
    testing::internal::CaptureStderr();
    // Run as a user whom the file's mode refuses; its answer is whether
    // every pass went as expected.
    const int asExpected = vtest::AsOrdinaryUser([&] {
      c.change();
      bool ok = !pass() && !pass() && !pass();  // read-only: told once
      ::chmod(path.c_str(), 0644);
      plat::SetSafeSaveFaultForTests(1);
      ok = !pass() && ok;  // another reason: told
      ok = pass() && ok;   // saved at last
      ::chmod(path.c_str(), 0444);
      return !pass() && !pass() && ok;  // read-only again: told again once
    });
    const std::string said = testing::internal::GetCapturedStderr();
    plat::SetSafeSaveFaultForTests(0);
    EXPECT_EQ(asExpected, 1);
    const std::string denied = std::string("velkor: ") + c.file + ": not saved: permission denied\n";
    EXPECT_EQ(said, denied + "velkor: " + c.file + ": not saved: input/output error\n" + denied);
    EXPECT_EQ(IntAt(ReadAll(path), c.offset), c.value);
    ::chmod(path.c_str(), 0644);
  }
}

// ---------------------------------------------------------------- records

Bytes EmptyRecordsFile() {
  Bytes b;
  for (int i = 0; i < 255; ++i) PutInt(b, fe::EmptyRecordTime);
  for (int i = 0; i < 255; ++i) {
    const char line[] = "PLAY ME!\r\n";
    b.insert(b.end(), line, line + 10);
  }
  return b;
}

TEST_F(FilesTest, MissingRecordsFileIsResetAndWrittenWithBothFiles) {
  fe::LoadRecords();
  EXPECT_EQ(ReadAll(P("data/packs/base/scores.dat")), EmptyRecordsFile());
  EXPECT_EQ(ReadAll(P("data/packs/base/status.dat")), Bytes(224, 0));
  EXPECT_EQ(fe::Records.RecordTimes[50][4], fe::EmptyRecordTime);
  EXPECT_EQ(fe::Records.RecordNames[0][0], "PLAY ME!");
}

TEST_F(FilesTest, RecordsFileLayoutIsLevelMajorAndRoundTrips) {
  fe::ResetAllRecords();
  fe::InsertRecord(1, 61234, "ann");
  fe::InsertRecord(1, 5000, "bob");
  fe::InsertRecord(50, 7, "zed");
  fe::SaveRecordsAndStatus();
  Bytes expected = EmptyRecordsFile();
  auto setTime = [&](int level, int place, int32_t t) {
    Bytes v = Ints({t});
    std::memcpy(&expected[4 * (5 * level + place)], v.data(), 4);
  };
  setTime(1, 0, 5000);
  setTime(1, 1, 61234);
  setTime(50, 0, 7);
  // Name lines: level 1 places 0 and 1 are lines 5 and 6, level 50 place 0
  // is line 250; every other line is "PLAY ME!".
  Bytes names;
  for (int i = 0; i < 255; ++i) {
    std::string line = i == 5 ? "bob" : i == 6 ? "ann" : i == 250 ? "zed" : "PLAY ME!";
    line += "\r\n";
    names.insert(names.end(), line.begin(), line.end());
  }
  expected.resize(1020);
  expected.insert(expected.end(), names.begin(), names.end());
  const Bytes file = ReadAll(P("data/packs/base/scores.dat"));
  EXPECT_EQ(file, expected);

  fe::ResetRecords();
  fe::LoadRecords();
  EXPECT_EQ(fe::Records.RecordTimes[1][0], 5000);
  EXPECT_EQ(fe::Records.RecordNames[1][1], "ann");
  EXPECT_EQ(fe::Records.RecordNames[50][0], "zed");
  EXPECT_EQ(fe::Records.RecordTimes[50][1], fe::EmptyRecordTime);
  fe::SaveRecordsAndStatus();
  EXPECT_EQ(ReadAll(P("data/packs/base/scores.dat")), expected);
}

TEST_F(FilesTest, ShortRecordsFileReadsZerosAndEmptyNames) {
  Bytes b = Ints({42, 43});
  WriteAll(P("data/packs/base/scores.dat"), b);
  fe::LoadRecords();
  EXPECT_EQ(fe::Records.RecordTimes[0][0], 42);
  EXPECT_EQ(fe::Records.RecordTimes[0][1], 43);
  EXPECT_EQ(fe::Records.RecordTimes[0][2], 0);
  EXPECT_EQ(fe::Records.RecordNames[0][0], "");
  // The short file was not rewritten by loading it.
  EXPECT_EQ(ReadAll(P("data/packs/base/scores.dat")), b);
}

TEST_F(FilesTest, EachPackHasItsOwnRecordsButTheStatusIsAlwaysTheBuiltInOne) {
  fe::Game.CurrentPack = "mine";
  fe::LoadStatus();
  fe::Records.LevelStatus[3] = 2;
  fe::Records.RowBonus[4] = 1;
  fe::LoadRecords();  // missing: reset and written
  EXPECT_EQ(ReadAll(P("data/packs/mine/scores.dat")), EmptyRecordsFile());
  EXPECT_FALSE(fs::exists(P("data/packs/base/scores.dat")));
  EXPECT_FALSE(fs::exists(P("data/packs/mine/status.dat")));
  const Bytes status = ReadAll(P("data/packs/base/status.dat"));
  ASSERT_EQ(status.size(), 224u);
  EXPECT_EQ(IntAt(status, 12), 2);
  EXPECT_EQ(IntAt(status, 204 + 16), 1);
}

TEST_F(FilesTest, StatusFileRoundTripsItsFiftySixValues) {
  Bytes b;
  for (int k = 0; k < 51; ++k) PutInt(b, k % 3);
  for (int r = 0; r < 5; ++r) PutInt(b, r & 1);
  WriteAll(P("data/packs/base/status.dat"), b);
  fe::LoadStatus();
  EXPECT_EQ(fe::Records.LevelStatus[50], 2);
  EXPECT_EQ(fe::Records.RowBonus[3], 1);
  std::filesystem::remove(P("data/packs/base/status.dat"));
  fe::SaveRecordsAndStatus();
  EXPECT_EQ(ReadAll(P("data/packs/base/status.dat")), b);
}

TEST_F(FilesTest, MissingRecordsAtStartUpDoNotWipeSavedProgress) {
  Bytes progress;
  for (int k = 0; k < 51; ++k) PutInt(progress, k < 12 ? 2 : k == 12 ? 1 : 0);
  for (int r = 0; r < 5; ++r) PutInt(progress, r == 0);
  WriteAll(P("data/packs/base/status.dat"), progress);
  // The start-up order: records (missing here) first, then the status.
  fe::LoadRecords();
  EXPECT_EQ(ReadAll(P("data/packs/base/status.dat")), progress);
  fe::LoadStatus();
  EXPECT_EQ(fe::Records.LevelStatus[11], 2);
  EXPECT_EQ(fe::Records.LevelStatus[12], 1);
  EXPECT_EQ(fe::Records.RowBonus[0], 1);
  EXPECT_EQ(ReadAll(P("data/packs/base/scores.dat")), EmptyRecordsFile());
}

// What the player made stays on disk when the game cannot read it; the run
// goes on with defaults and says so once.
TEST_F(FilesTest, AnUnreadableFileIsNeverWrittenOverAndTheRunUsesDefaults) {
  Bytes records = EmptyRecordsFile();
  std::memcpy(&records[20], Ints({61234}).data(), 4);  // level 1, place 0
  Bytes status;
  for (int k = 0; k < 56; ++k) PutInt(status, k < 7 ? 2 : 0);
  const struct {
    std::string file;
    Bytes bytes;
    void (*load)();
    bool (*onDefaults)();
  } cases[] = {
      {"Data/config.dat", Ints({300, 400, 38, 40, 37, 39, 16, 0, 1}), fe::InitConfig,
       [] { return fe::Settings.KeyBindUp == 87 && fe::Settings.MusicVolume == 1.0f; }},
      {"data/packs/base/scores.dat", records, fe::LoadRecords,
       [] { return fe::Records.RecordTimes[1][0] == fe::EmptyRecordTime; }},
      {"data/packs/base/status.dat", status, fe::LoadStatus,
       [] { return fe::Records.LevelStatus[0] == 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    vtest::ResetAllState();
    WriteAll(P(c.file), c.bytes);
    plat::SetReadFaultForTests(c.file);
    testing::internal::CaptureStderr();
    c.load();
    for (int pass = 0; pass < 2; ++pass) {  // what the dispatcher does each pass
      fe::SaveRecordsAndStatus();
      fe::SaveConfig();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    plat::SetReadFaultForTests("");
    EXPECT_EQ(ReadAll(P(c.file)), c.bytes);
    EXPECT_TRUE(c.onDefaults());
    const size_t at = said.find(c.file);
    EXPECT_NE(at, std::string::npos) << said;
    EXPECT_EQ(said.find(c.file, at + 1), std::string::npos) << said;
  }
}

TEST_F(FilesTest, NameLinesAreCutToTheirFieldAndTheRestOfTheLineSkipped) {
  Bytes b = Ints({});
  for (int i = 0; i < 255; ++i) PutInt(b, 1000 + i);
  for (int i = 0; i < 255; ++i) {
    const std::string line = (i == 5 ? std::string(20 << 20, 'x') : "n" + std::to_string(i)) + "\r\n";
    b.insert(b.end(), line.begin(), line.end());
  }
  WriteAll(P("data/packs/base/scores.dat"), b);
  fe::LoadRecords();
  EXPECT_EQ(fe::Records.RecordNames[1][0], "xxxxxxxx");
  EXPECT_EQ(fe::Records.RecordNames[1][1], "n6");
  EXPECT_EQ(fe::Records.RecordNames[50][4], "n254");
}

TEST_F(FilesTest, MissingStatusFileLeavesTheStatusInMemory) {
  fe::Records.LevelStatus[0] = 1;
  fe::LoadStatus();
  EXPECT_EQ(fe::Records.LevelStatus[0], 1);
}

// ---------------------------------------------------------------- rules

TEST(RecordRulesTest, TimeTexts) {
  EXPECT_EQ(fe::RecordTimeText(0), "0.00:000");
  EXPECT_EQ(fe::RecordTimeText(61234), "1.01:234");
  EXPECT_EQ(fe::RecordTimeText(5), "0.00:005");
  EXPECT_EQ(fe::RecordTimeText(61007), "1.01:007");
  EXPECT_EQ(fe::RecordTimeText(3600000), "60.00:000");
  EXPECT_EQ(fe::RecordTimeText(fe::EmptyRecordTime), "--.--:--");
}

TEST(RecordRulesTest, PlacesAndInsertion) {
  vtest::ResetAllState();
  fe::ResetLevelRecords(3);
  EXPECT_EQ(fe::FindRecordPlace(3, 999999), 0);  // all empty
  const int times[5] = {1000, 2000, 3000, 4000, 5000};
  const char* names[5] = {"a", "b", "c", "d", "e"};
  for (int p = 0; p < 5; ++p) {
    fe::Records.RecordTimes[3][p] = times[p];
    fe::Records.RecordNames[3][p] = names[p];
  }
  EXPECT_EQ(fe::FindRecordPlace(3, 1000), 1);  // equal ranks below
  EXPECT_EQ(fe::FindRecordPlace(3, 999), 0);
  EXPECT_EQ(fe::FindRecordPlace(3, 5000), -1);
  EXPECT_EQ(fe::FindRecordPlace(3, 6000), -1);

  fe::InsertRecord(3, 500, "new");
  const int after[5] = {500, 1000, 2000, 3000, 4000};
  const char* afterNames[5] = {"new", "a", "b", "c", "d"};
  for (int p = 0; p < 5; ++p) {
    EXPECT_EQ(fe::Records.RecordTimes[3][p], after[p]);
    EXPECT_EQ(fe::Records.RecordNames[3][p], afterNames[p]);
  }
  fe::InsertRecord(3, 4000, "late");  // no greater time: nothing changes
  EXPECT_EQ(fe::Records.RecordNames[3][4], "d");
  fe::InsertRecord(3, 3999, "fifth");
  EXPECT_EQ(fe::Records.RecordNames[3][4], "fifth");
  EXPECT_EQ(fe::Records.RecordNames[3][3], "c");

  // Levels outside the table are no place and change nothing.
  EXPECT_EQ(fe::FindRecordPlace(51, 1), -1);
  EXPECT_EQ(fe::FindRecordPlace(-1, 1), -1);
  fe::InsertRecord(51, 1, "x");
  EXPECT_FALSE(fe::NextLevelOpen(51));
  EXPECT_FALSE(fe::NextLevelOpen(-1));
}

TEST(RecordRulesTest, ShownRecordTexts) {
  vtest::ResetAllState();
  fe::ResetLevelRecords(0);
  fe::ResetLevelRecords(7);
  fe::InsertRecord(0, 100, "zero");
  fe::InsertRecord(7, 61234, "ann");
  fe::Records.ShownRecordTimes[0] = 77;
  fe::BuildRecordTexts(0);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(fe::Records.ShownRecordNames[i], "");
    EXPECT_EQ(fe::Records.ShownRecordTimeTexts[i], "--.--:--");
  }
  EXPECT_EQ(fe::Records.ShownRecordTimes[0], 77);  // level 0 leaves the times
  fe::BuildRecordTexts(7);
  EXPECT_EQ(fe::Records.ShownRecordNames[0], "ann");
  EXPECT_EQ(fe::Records.ShownRecordTimeTexts[0], "1.01:234");
  EXPECT_EQ(fe::Records.ShownRecordTimes[0], 61234);
  EXPECT_EQ(fe::Records.ShownRecordNames[1], "PLAY ME!");
  EXPECT_EQ(fe::Records.ShownRecordTimeTexts[1], "--.--:--");
}

std::vector<int> Unlocked(std::vector<int> start) {
  vtest::ResetAllState();
  for (size_t k = 0; k < start.size(); ++k) fe::Records.LevelStatus[k] = start[k];
  fe::UnlockLevels();
  return std::vector<int>(fe::Records.LevelStatus, fe::Records.LevelStatus + 8);
}

TEST(RecordRulesTest, UnlockLevelsKeepsThreeOpen) {
  EXPECT_EQ(Unlocked({}), (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Unlocked({2, 2}), (std::vector<int>{2, 2, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(Unlocked({1}), (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Unlocked({0, 0, 0, 1}), (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0}));
  // The last entry belongs to no level but opens like the others.
  vtest::ResetAllState();
  for (int k = 0; k < 49; ++k) fe::Records.LevelStatus[k] = 2;
  fe::UnlockLevels();
  EXPECT_EQ(fe::Records.LevelStatus[49], 1);
  EXPECT_EQ(fe::Records.LevelStatus[50], 1);
}

TEST(RecordRulesTest, RowBonusNeedsTheWholeRowCompleted) {
  vtest::ResetAllState();
  for (int k = 0; k < 19; ++k) fe::Records.LevelStatus[k] = 2;
  fe::Records.LevelStatus[19] = 1;
  fe::UpdateRowBonuses();
  EXPECT_EQ(fe::Records.RowBonus[0], 1);
  EXPECT_EQ(fe::Records.RowBonus[1], 0);
  fe::Records.LevelStatus[19] = 2;
  fe::UpdateRowBonuses();
  EXPECT_EQ(fe::Records.RowBonus[1], 1);
  // A bonus is never taken back.
  fe::Records.LevelStatus[0] = 1;
  fe::UpdateRowBonuses();
  EXPECT_EQ(fe::Records.RowBonus[0], 1);
  EXPECT_EQ(fe::Records.RowBonus[2], 0);
}

}  // namespace

// The records table under a level select: place 0 in palette colour 5 down
// to place 4 in colour 1, names ending at x 520, times from x 540; white
// is left for whatever is drawn next.
TEST(RecordDrawTest, PlacesTakeTheirPaletteColoursAndLeaveWhite) {
  vtest::GameSandbox sandbox(2);
  vtest::ResetAllState();
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  for (int i = 0; i < 5; ++i) {
    fe::Records.ShownRecordNames[i] = "mmmm";
    fe::Records.ShownRecordTimeTexts[i] = "0.00:000";
  }
  plat::SetClsColor(0, 0, 0);
  plat::Cls();
  plat::SetAlpha(1);
  fe::DrawRecords();
  int r, g, b;
  plat::GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);

  const std::vector<uint32_t> px = plat::ReadTargetPixels();
  // The brightest pixel of a box: the glyphs are white pictures tinted by
  // the colour in force.
  auto brightest = [&](int x0, int y0, int x1, int y1) {
    uint32_t best = 0;
    int bestSum = -1;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const uint32_t p = px[y * 800 + x];
        const int sum = (p & 255) + ((p >> 8) & 255) + ((p >> 16) & 255);
        if (sum > bestSum) bestSum = sum, best = p;
      }
    return best;
  };
  for (int place : {0, 4}) {
    const int c = 5 - place;
    const int y = 490 + 16 * place;
    const uint32_t name = brightest(480, y, 520, y + 16);
    const uint32_t time = brightest(540, y, 620, y + 16);
    for (uint32_t p : {name, time}) {
      EXPECT_NEAR(int(p & 255), std::min(fe::Res.BlockPaletteR[c], 255), 2) << place;
      EXPECT_NEAR(int((p >> 8) & 255), std::min(fe::Res.BlockPaletteG[c], 255), 2) << place;
      EXPECT_NEAR(int((p >> 16) & 255), std::min(fe::Res.BlockPaletteB[c], 255), 2) << place;
    }
    // Nothing of the name reaches past its right end at x 520.
    EXPECT_EQ(brightest(521, y, 539, y + 16) & 0xFFFFFF, 0u) << place;
  }
}
