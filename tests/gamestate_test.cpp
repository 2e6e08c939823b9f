// Game-state switch and dispatcher transitions, with the screens replaced
// by recorders so each pass can be checked on its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "frontend/dispatcher.h"
#include "platform/files.h"
#include "services/config.h"
#include "services/level.h"
#include "services/levelfile.h"
#include "support/sandbox.h"

namespace {

using fe::Game;
using fe::KeepValue;

class GameStateTest : public ::testing::Test {
 protected:
  void SetUp() override { vtest::ResetAllState(); }
  void TearDown() override { vtest::ResetAllState(); }
};

TEST_F(GameStateTest, SetGameStateMovesEachValueIntoItsPreviousSlot) {
  fe::SetGameState(3, 12, 7);
  fe::SetGameState(5, KeepValue, KeepValue);
  EXPECT_EQ(Game.GameState, 5);
  EXPECT_EQ(Game.PreviousGameState, 3);
  EXPECT_EQ(Game.CurrentLevel, 12);
  EXPECT_EQ(Game.PreviousLevel, 0);
  EXPECT_EQ(Game.StateParam, 7);

  // Only the level and its previous value change.
  fe::SetGameState(KeepValue, 20, KeepValue);
  EXPECT_EQ(Game.GameState, 5);
  EXPECT_EQ(Game.PreviousGameState, 3);
  EXPECT_EQ(Game.CurrentLevel, 20);
  EXPECT_EQ(Game.PreviousLevel, 12);
  EXPECT_EQ(Game.PreviousStateParam, 0);

  // Setting the value it already holds still shifts it.
  fe::SetGameState(5, KeepValue, 7);
  EXPECT_EQ(Game.PreviousGameState, 5);
  EXPECT_EQ(Game.PreviousStateParam, 7);
}

TEST_F(GameStateTest, BasePackIsRecognisedInAnyCase) {
  for (const char* name : {"base", "Base", "BASE"}) {
    Game.CurrentPack = name;
    EXPECT_TRUE(fe::IsBasePack()) << name;
  }
  Game.CurrentPack = "bases";
  EXPECT_FALSE(fe::IsBasePack());
}

// The dispatcher's own transitions: the housekeeping touches files, so these
// run inside a sandboxed game folder.
class DispatcherTest : public ::testing::Test {
 protected:
  vtest::GameSandbox sandbox_;
  static std::vector<int>& Calls() {
    static std::vector<int> calls;
    return calls;
  }
  void SetUp() override {
    Calls().clear();
    auto& s = fe::Screens();
    s.RunMainMenu = [] { Calls().push_back(0); fe::SetGameState(4, KeepValue, KeepValue); };
    s.RunLevelSelect = [](int) { Calls().push_back(1); fe::SetGameState(0, KeepValue, KeepValue); };
    s.RunPackLevelSelect = [](int) { Calls().push_back(9); fe::SetGameState(0, KeepValue, KeepValue); };
    s.PlayLevel = [](int level) { Calls().push_back(500 + level); fe::SetGameState(0, KeepValue, KeepValue); };
  }
};

TEST_F(DispatcherTest, NextBuiltinLevelPlaysItOrReturnsToTheSelectAfterTheLast) {
  fe::SetGameState(7, 12, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 5);
  EXPECT_EQ(Game.CurrentLevel, 12);

  fe::SetGameState(7, 51, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 1);
  EXPECT_EQ(Game.CurrentLevel, 51);
  EXPECT_TRUE(Calls().empty());  // handled inside the pass, no screen ran
}

TEST_F(DispatcherTest, NextPackLevelNeedsAPlayableLevel) {
  // Decided from the pack's files as they are now: the last scan may be of
  // another pack or older than the editor's last save.
  Game.CurrentPack = "mine";
  std::filesystem::create_directories(sandbox_.Path("Data/Packs/mine/levels"));
  play::LevelData level;
  level.ObjectGrid[7][7] = play::kObjStart;
  ASSERT_TRUE(plat::SaveFileSafely(sandbox_.Path("Data/Packs/mine/levels/4.doy"), play::EncodeLevel(level)));
  fe::Records.PackLevelPlayable[4] = 1;  // level 5, by a stale scan
  fe::SetGameState(11, 4, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 5);

  fe::SetGameState(11, 5, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 9);

  // Out-of-range levels never index past the table.
  fe::SetGameState(11, 60, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 9);
  fe::SetGameState(11, 0, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 9);
}

TEST_F(DispatcherTest, StatesWithoutAHandlerNeverStrandThePlayer) {
  fe::SetGameState(8, 3, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 9);

  fe::SetGameState(12, KeepValue, KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(Game.GameState, 0);
}

TEST_F(DispatcherTest, RunsStatesInTurnUntilQuit) {
  fe::SetGameState(5, 3, KeepValue);
  fe::RunDispatcher();
  EXPECT_EQ((std::vector<int>{503, 0}), Calls());
  EXPECT_EQ(Game.QuitRequested, 99);
  EXPECT_EQ(Game.GameState, 4);
}

TEST_F(DispatcherTest, HousekeepingRecreatesTheReplayDirectoryButNotThePack) {
  vtest::RemoveTree(sandbox_.Path("Data/Packs/base/replays"));
  fe::SetGameState(4, KeepValue, KeepValue);
  fe::DispatcherPass();
  EXPECT_TRUE(std::filesystem::is_directory(sandbox_.Path("Data/Packs/base/replays")));

  Game.CurrentPack = "gone";
  Game.QuitRequested = 0;
  fe::DispatcherPass();
  EXPECT_FALSE(std::filesystem::exists(sandbox_.Path("Data/Packs/gone")));
}

}  // namespace
