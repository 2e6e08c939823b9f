// The level file through LoadLevel and SaveLevel: byte-exact layout, the
// built-in and pack sources, missing and damaged levels, the safe save, and
// the run's booking guards and clean-up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "assets/builtin_levels.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "play/coins.h"
#include "play/harness.h"
#include "play/playloop.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/level.h"
#include "services/sound.h"
#include "support/bytes.h"
#include "support/play_support.h"
#include "support/sandbox.h"
#include "support/unprivileged.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(plat::LoadFileBytes(path, bytes)) << path;
  return bytes;
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using vtest::IntAt;

class PlayLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::ResetAllState();
    vtest::ResetPlayState();
    dir_ = vtest::MakeTempDir("playlevel");
    old_ = fs::current_path();
    fs::current_path(dir_);
    fs::create_directories("data/packs/mine/Levels");
    fs::create_directories("data/packs/mine/replays");
    fe::Game.CurrentPack = "mine";
  }
  void TearDown() override {
    plat::SetSafeSaveFaultForTests(0);
    fs::current_path(old_);
    vtest::RemoveTree(dir_);
    vtest::ResetPlayState();
    vtest::ResetAllState();
  }

  // A level whose every cell differs, so misplaced cells show.
  static void FillPattern() {
    play::LevelData& l = play::Level;
    for (int x = 0; x < play::kLevelW; ++x)
      for (int y = 0; y < play::kLevelH; ++y) {
        l.TileGrid[x][y] = x * 100 + y;
        l.EdgeFrameGrid[x][y] = (x + y) % 25;
        l.CornerFrameGrid[x][y] = -(x * 36 + y);
        l.ObjectGrid[x][y] = 1000000 + x * 36 + y;
      }
    l.AllowMovement = 1;
    l.AllowShooting = 0;
    l.AllowRope = 7;
    l.LevelName = "Long Way Down";
    l.LevelAuthor = "ana";
  }

  std::string dir_;
  fs::path old_;
};

TEST_F(PlayLevelTest, SaveWritesTheExactLayoutAndLoadReadsItBack) {
  FillPattern();
  ASSERT_EQ(play::SaveLevel(3), 0);
  const std::vector<uint8_t> b = ReadAll("data/packs/mine/Levels/3.doy");
  ASSERT_EQ(b.size(), 28812u + 13 + 2 + 3 + 2);
  EXPECT_EQ(b, play::EncodeLevel(play::Level));
  // Column-major cells: (x, y) at 4 * (36x + y) in each grid.
  EXPECT_EQ(IntAt(b, 4 * (36 * 7 + 5)), 705);
  EXPECT_EQ(IntAt(b, 7200 + 4 * (36 * 49 + 35)), (49 + 35) % 25);
  EXPECT_EQ(IntAt(b, 14400 + 4 * 36), -36);
  EXPECT_EQ(IntAt(b, 21600), 1000000);
  EXPECT_EQ(IntAt(b, 28800), 1);
  EXPECT_EQ(IntAt(b, 28804), 0);
  EXPECT_EQ(IntAt(b, 28808), 7);
  EXPECT_EQ(std::string(b.begin() + 28812, b.end()), "Long Way Down\r\nana\r\n");

  const play::LevelData saved = play::Level;
  play::ResetLevel();
  play::Level.LevelDirty = 1;
  play::LoadLevel(3);
  EXPECT_EQ(play::EncodeLevel(play::Level), b);
  EXPECT_EQ(play::Level.LevelDirty, 0);
  EXPECT_EQ(play::Level.LevelName, saved.LevelName);
}

TEST_F(PlayLevelTest, ShortFileReadsZerosAndEmptyTexts) {
  FillPattern();
  std::vector<uint8_t> bytes(10, 0);
  bytes[0] = 5;  // cell (0, 0) = 5; (0, 1) gets two bytes and then the end
  bytes[4] = 0x34;
  bytes[8] = 0x01;
  bytes[9] = 0x02;
  WriteAll("data/packs/mine/Levels/2.doy", bytes);
  play::LoadLevel(2);
  EXPECT_EQ(play::Level.TileGrid[0][0], 5);
  EXPECT_EQ(play::Level.TileGrid[0][1], 0x34);
  EXPECT_EQ(play::Level.TileGrid[0][2], 0x0201);
  EXPECT_EQ(play::Level.TileGrid[9][9], 0);
  EXPECT_EQ(play::Level.CornerFrameGrid[3][3], 0);
  EXPECT_EQ(play::Level.AllowRope, 0);
  EXPECT_EQ(play::Level.LevelName, "");
  EXPECT_EQ(play::Level.LevelAuthor, "");
}

TEST_F(PlayLevelTest, BuiltInPackInAnyCaseLoadsTheBuiltInFiles) {
  assets::RegisterBuiltinLevelFiles();
  ASSERT_TRUE(plat::IncbinExists("1.doy"));
  std::vector<uint8_t> one;
  ASSERT_TRUE(plat::LoadFileBytes("incbin::1.doy", one));
  play::LevelData expect;
  play::DecodeLevel(one, expect);
  for (const char* pack : {"base", "Base", "BASE"}) {
    fe::Game.CurrentPack = pack;
    play::ResetLevel();
    play::LoadLevel(1);
    EXPECT_EQ(play::EncodeLevel(play::Level), play::EncodeLevel(expect)) << pack;
  }
  // A negative number is the title backdrop, level 0.
  std::vector<uint8_t> zero;
  ASSERT_TRUE(plat::LoadFileBytes("incbin::0.doy", zero));
  play::LoadLevel(-1);
  EXPECT_EQ(play::EncodeLevel(play::Level), zero);
}

TEST_F(PlayLevelTest, MissingLevelsClearTheGridsAndTextsAndKeepTheFlags) {
  assets::RegisterBuiltinLevelFiles();
  auto expectCleared = [](const char* what) {
    const play::LevelData& l = play::Level;
    for (int x = 0; x < play::kLevelW; ++x)
      for (int y = 0; y < play::kLevelH; ++y) {
        ASSERT_EQ(l.TileGrid[x][y], -1) << what;
        ASSERT_EQ(l.EdgeFrameGrid[x][y], 0) << what;
        ASSERT_EQ(l.CornerFrameGrid[x][y], 15) << what;
        ASSERT_EQ(l.ObjectGrid[x][y], 0) << what;
      }
    EXPECT_EQ(l.LevelName + l.LevelAuthor, "") << what;
    EXPECT_EQ(l.AllowRope, 7) << what;
  };
  FillPattern();
  play::LoadLevel(9);  // no such pack file
  expectCleared("missing pack level");

  FillPattern();
  fs::create_directories("data/packs/mine/Levels/4.doy");  // there, but no file to open
  play::LoadLevel(4);
  expectCleared("unopenable pack level");

  FillPattern();
  fe::Game.CurrentPack = "base";
  play::LoadLevel(51);  // beyond the built-in levels
  expectCleared("built-in level 51");

  // Another pack looks for its own file of level -1.
  fe::Game.CurrentPack = "mine";
  FillPattern();
  play::LoadLevel(-1);
  expectCleared("pack level -1");
}

TEST_F(PlayLevelTest, SavingAChangedLevelResetsReplayAndRecordsOnlyAfterTheWrite) {
  const std::string replay = "data/packs/mine/replays/3.doyplay";
  auto makeReplayAndRecord = [&] {
    WriteAll(replay, {1, 2, 3, 4});
    fe::Records.RecordTimes[3][0] = 1234;
  };
  FillPattern();
  makeReplayAndRecord();
  // Unchanged level: both stay.
  ASSERT_EQ(play::SaveLevel(3), 0);
  EXPECT_TRUE(fs::exists(replay));
  EXPECT_EQ(fe::Records.RecordTimes[3][0], 1234);

  // A failed write keeps the old level, the replay and the records, and
  // says so.
  const std::vector<uint8_t> before = ReadAll("data/packs/mine/Levels/3.doy");
  play::Level.LevelDirty = 1;
  play::Level.TileGrid[0][0] = 42;
  for (int step = 1; step <= 3; ++step) {
    plat::SetSafeSaveFaultForTests(step);
    EXPECT_EQ(play::SaveLevel(3), -1) << step;
    EXPECT_EQ(ReadAll("data/packs/mine/Levels/3.doy"), before) << step;
    EXPECT_TRUE(fs::exists(replay)) << step;
    EXPECT_EQ(fe::Records.RecordTimes[3][0], 1234) << step;
  }
  plat::SetSafeSaveFaultForTests(0);

  // Written: then the replay goes and the records empty; dirty stays set.
  ASSERT_EQ(play::SaveLevel(3), 0);
  EXPECT_EQ(IntAt(ReadAll("data/packs/mine/Levels/3.doy"), 0), 42);
  EXPECT_FALSE(fs::exists(replay));
  EXPECT_EQ(fe::Records.RecordTimes[3][0], fe::EmptyRecordTime);
  EXPECT_EQ(play::Level.LevelDirty, 1);

  // An open editor dialog blocks saving altogether.
  play::Level.EditorDialog = 1;
  play::Level.TileGrid[0][0] = 43;
  EXPECT_EQ(play::SaveLevel(3), 0);
  EXPECT_EQ(IntAt(ReadAll("data/packs/mine/Levels/3.doy"), 0), 42);
  play::Level.EditorDialog = 0;

  // Saving in the built-in pack goes to its pack directory too.
  fs::create_directories("data/packs/base/Levels");
  fe::Game.CurrentPack = "base";
  EXPECT_EQ(play::SaveLevel(5), 0);
  EXPECT_TRUE(fs::exists("data/packs/base/Levels/5.doy"));
}

TEST_F(PlayLevelTest, NameAndAuthorAreCutToTheirFieldsEvenWithoutALineEnd) {
  FillPattern();
  std::vector<uint8_t> bytes = play::EncodeLevel(play::Level);
  bytes.resize(play::kLevelFixedBytes);
  const std::string text = std::string(30, 'n') + "\r\n" + std::string(8 << 20, 'a');
  bytes.insert(bytes.end(), text.begin(), text.end());
  WriteAll("data/packs/mine/Levels/2.doy", bytes);
  play::LoadLevel(2);
  EXPECT_EQ(play::Level.LevelName, std::string(20, 'n'));
  EXPECT_EQ(play::Level.LevelAuthor, std::string(20, 'a'));
}

// A pack name never leads out of the packs folder: such a pack has no level
// to load and nothing of it is written anywhere.
TEST_F(PlayLevelTest, PackNamesThatLeaveThePacksFolderReadAndWriteNothing) {
  fs::create_directories("escaped/Levels");
  fs::create_directories("escaped/replays");
  WriteAll("escaped/Levels/3.doy", std::vector<uint8_t>(play::kLevelFixedBytes + 4, 1));
  for (const char* pack : {"../../escaped", "..\\..\\escaped", "mine/../../../escaped", "..", ""}) {
    SCOPED_TRACE(pack);
    fe::Game.CurrentPack = pack;
    FillPattern();
    play::LoadLevel(3);
    EXPECT_EQ(play::Level.TileGrid[0][0], -1);  // nothing read: an empty level
    play::Level.LevelDirty = 1;
    EXPECT_EQ(play::SaveLevel(5), -1);
    EXPECT_EQ(play::ReplayPath(pack, 5), "");
  }
  EXPECT_FALSE(fs::exists("escaped/Levels/5.doy"));
  EXPECT_TRUE(fs::exists("escaped/Levels/3.doy"));
}

TEST_F(PlayLevelTest, UnreadableOrReadOnlyLevelFilesAreNotSavedOver) {
  FillPattern();
  ASSERT_EQ(play::SaveLevel(3), 0);
  const std::vector<uint8_t> before = ReadAll("data/packs/mine/Levels/3.doy");
  plat::SetReadFaultForTests("Levels/3.doy");
  play::LoadLevel(3);
  play::Level.LevelDirty = 1;
  EXPECT_EQ(play::SaveLevel(3), -1);
  plat::SetReadFaultForTests("");
  EXPECT_EQ(ReadAll("data/packs/mine/Levels/3.doy"), before);

  ::chmod("data/packs/mine/Levels/3.doy", 0444);
  vtest::GiveToOrdinaryUser(dir_);
  EXPECT_EQ(vtest::AsOrdinaryUser([] { return play::SaveLevel(3) == -1; }), 1);
  EXPECT_EQ(ReadAll("data/packs/mine/Levels/3.doy"), before);
}

TEST_F(PlayLevelTest, SetupPlacesTheLastStartAndExitAndCoinsInScanOrder) {
  play::Level.Clear();
  play::Level.ObjectGrid[3][10] = 1;
  play::Level.ObjectGrid[3][12] = 1;  // same column, lower: wins over (3, 10)
  play::Level.ObjectGrid[2][30] = 1;
  play::Level.ObjectGrid[7][1] = 2;
  play::Level.ObjectGrid[9][9] = 33;
  play::Level.ObjectGrid[9][10] = 47;
  play::Level.ObjectGrid[5][5] = 3;
  play::Level.ObjectGrid[1][6] = 3;
  play::SetupLevelObjects(0);
  EXPECT_EQ(play::Level.StartX, 3 * 16 + 8);
  EXPECT_EQ(play::Level.StartY, 12 * 16 + 16);
  EXPECT_EQ(play::Level.ExitX, 7 * 16);
  EXPECT_EQ(play::Level.ExitY, 16);
  ASSERT_EQ(play::Run.CoinList.size(), 2u);
  EXPECT_EQ(play::Run.CoinsLeft, 2);
  EXPECT_EQ(play::Run.CoinList[0]->x, 16);  // column 1 comes first
  // A level without a start keeps the previous one.
  play::Level.Clear();
  play::SetupLevelObjects(0);
  EXPECT_EQ(play::Level.StartX, 3 * 16 + 8);
  EXPECT_EQ(play::Run.CoinsLeft, 0);
}

// ---------------------------------------------------------------- the run's booking

TEST_F(PlayLevelTest, FinishBooksProgressOnlyForValidBuiltInLevels) {
  fe::Game.CurrentPack = "base";
  fe::Records.LevelStatus[49] = 1;
  fe::Game.CurrentLevel = 50;
  play::FinishLevel();
  EXPECT_EQ(fe::Records.LevelStatus[49], 2);
  EXPECT_EQ(fe::Records.LevelStatus[50], 1);

  // Out-of-range levels touch no status or records.
  const fe::RecordsVars before = fe::Records;
  for (int level : {51, 1000, -1, -7}) {
    fe::Game.CurrentLevel = level;
    play::FinishLevel();
    for (int i = 0; i < 51; ++i) ASSERT_EQ(fe::Records.LevelStatus[i], before.LevelStatus[i]);
  }
  // "Base" is not the built-in pack for the progress status.
  fe::Game.CurrentPack = "Base";
  fe::Records.LevelStatus[9] = 1;
  fe::Game.CurrentLevel = 10;
  play::FinishLevel();
  EXPECT_EQ(fe::Records.LevelStatus[9], 1);
}

TEST_F(PlayLevelTest, LeavingDuringSlowMotionPutsTheEffectRatesBack) {
  for (auto& ch : fe::Audio.ChannelTable) ch = plat::AllocChannel();
  play::LevelData l = vtest::BlankLevel();
  vtest::FillTiles(l, 0, 30, 49, 35, 0);
  vtest::PutObject(l, 10, 29, play::kObjStart);
  vtest::PutObject(l, 40, 2, play::kObjExit);
  float slowest = 1.0f;
  play::PlayRunOptions o;
  o.onFrame = [&](int) {
    slowest = std::min(slowest, plat::ChannelRate(fe::Audio.ChannelTable[5]));
    return true;
  };
  play::RunPlayScript(l, vtest::Script("limit 600\n1 slow\n"), o);
  EXPECT_LT(slowest, 0.5f);
  for (auto& ch : fe::Audio.ChannelTable) EXPECT_FLOAT_EQ(plat::ChannelRate(ch), 1.0f);
  for (auto& ch : fe::Audio.ChannelTable) ch.reset();
}

}  // namespace
