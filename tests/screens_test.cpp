// The splash, main menu, credits and built-in level select, driven frame by
// frame with injected input in a throw-away game folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/dispatcher.h"
#include "frontend/keysetup.h"
#include "frontend/levelselect.h"
#include "frontend/options.h"
#include "frontend/screens.h"
#include "frontend/startup.h"
#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/playloop.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/input.h"
#include "services/level.h"
#include "services/resources.h"
#include "support/sandbox.h"
#include "support/screen_script.h"
#include "support/screenshots.h"

namespace {

namespace pt = plat::test;

using vtest::Click;
using vtest::PixelAt;
using vtest::Rgb;
using Script = vtest::FrameScript;

// Mean brightness of one screen row.
double RowBrightness(int y) {
  const auto px = plat::ReadTargetPixels();
  double sum = 0;
  for (int x = 0; x < plat::kScreenW; ++x) {
    const Rgb c = PixelAt(px, x, y);
    sum += (c.r + c.g + c.b) / 3.0;
  }
  return sum / plat::kScreenW;
}

class ScreensTest : public vtest::ScreenTest {
 protected:
  // Runs the level select as the dispatcher does (state 1, argument 1).
  void RunSelect(Script& s) {
    fe::SetGameState(fe::kStateLevelSelect, fe::KeepValue, fe::KeepValue);
    s.Install();
    fe::RunLevelSelect(1);
  }
};

// ------------------------------------------------------------------ splash

// Brightness of the logo band's middle row at the sampled flips.
using Samples = std::map<int64_t, double>;

int RunSplashCounting(Script& s, Samples* band) {
  s.every = [band](int64_t f) {
    if (band && band->count(f)) (*band)[f] = RowBrightness(300);
  };
  s.Install();
  fe::SetGameState(fe::kStateSplash, fe::KeepValue, fe::KeepValue);
  fe::RunSplash();
  return static_cast<int>(s.flips);
}

TEST_F(ScreensTest, SplashFadesInShowsFadesOutAndEndsInTheMainMenu) {
  Script s;
  Samples band{{0, 0}, {20, 0}, {60, 0}, {150, 0}, {200, 0}, {225, 0}, {250, 0}, {300, 0}};
  s.at[150] = [] {
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("splash")));
    EXPECT_EQ(RowBrightness(100), 0.0);  // the band above the logo is black
  };
  const int flips = RunSplashCounting(s, &band);
  // 100 frames in, 2 s shown, 50 frames out, 1 s dark at 60 Hz.
  EXPECT_GE(flips, 325);
  EXPECT_LE(flips, 340);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
  EXPECT_LT(band[0], 3.0);                // almost black at the start
  EXPECT_LT(band[20], band[60]);          // fading in
  EXPECT_GT(band[150], 20.0);             // the logo band is shown
  EXPECT_NEAR(band[150], band[200], 8.0); // and held
  EXPECT_GT(band[225], band[250]);        // fading out
  EXPECT_EQ(band[300], 0.0);              // dark
}

TEST_F(ScreensTest, SpaceSkipsToTheFadeOutOnlyBeforeItStarts) {
  Samples band{{30, 0}, {33, 0}};
  int skipped = 0;
  {
    Script s;
    s.at[30] = [] { pt::KeyTap(32); };
    skipped = RunSplashCounting(s, &band);
  }
  // The fade out starts from where the fade in stood, then 1 s of dark.
  EXPECT_GE(skipped, 100);
  EXPECT_LE(skipped, 120);
  EXPECT_LT(band[33], band[30]);
  EXPECT_GT(band[33], 0.7 * band[30]);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);

  // During the fade out Space changes nothing.
  Script plain, late;
  const int normal = RunSplashCounting(plain, nullptr);
  late.at[235] = [] { pt::KeyTap(32); };
  const int withLateSpace = RunSplashCounting(late, nullptr);
  EXPECT_NEAR(withLateSpace, normal, 1);
}

// ---------------------------------------------------------- main menu/credits

TEST_F(ScreensTest, MainMenuIgnoresEscapeWithoutPassingItOnAndLeadsToTheLevelSelect) {
  fe::SetGameState(fe::kStateMainMenu, fe::KeepValue, fe::KeepValue);
  {
    Script s;
    s.at[5] = [] { pt::KeyTap(27); };
    s.at[80] = [] { Click(310, 210); };  // the game button
    s.Install();
    fe::RunMainMenu();
    EXPECT_GE(s.flips, 80);  // Escape did not leave the menu
  }
  EXPECT_EQ(fe::Game.GameState, fe::kStateLevelSelect);

  // The Escape pressed in the menu does not end the next screen at once.
  Script s;
  s.at[20] = [] { pt::KeyTap(27); };
  RunSelect(s);
  EXPECT_GE(s.flips, 20);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

TEST_F(ScreensTest, CreditsLeaveByEscapeOrTheBackButton) {
  fe::SetGameState(fe::kStateCredits, fe::KeepValue, fe::KeepValue);
  {
    Script s;
    s.at[61] = [] { pt::KeyTap(27); };
    s.Install();
    fe::RunCredits();
    EXPECT_EQ(s.flips, 63);
  }
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);

  fe::SetGameState(fe::kStateCredits, fe::KeepValue, fe::KeepValue);
  Script s;
  s.at[10] = [] { Click(700, 535); };
  s.Install();
  fe::RunCredits();
  EXPECT_EQ(s.flips, 12);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

// Every screen that draws over the title level, shot at the darkest point
// of the colour cycle (dark blue, where text and buttons are hardest to
// read), at the brightest (yellow) and at one of middle light (violet),
// with the pointer on one of its buttons to show the hover highlight.
TEST_F(ScreensTest, ScreensAtTheDarkestBrightestAndAMiddlePointOfTheColourCycle) {
  const struct {
    int counter;
    const char* name;
  } points[] = {{123, "dark"}, {40, "bright"}, {192, "mid"}};
  const struct {
    int state;
    void (*run)();
    const char* shot;
    int hoverX, hoverY;
  } screens[] = {{fe::kStateMainMenu, fe::RunMainMenu, "main_menu", 310, 250},
                 {fe::kStateCredits, fe::RunCredits, "credits", 700, 535},
                 {fe::kStateLevelSelect, [] { fe::RunLevelSelect(1); }, "level_select", 710, 575},
                 {fe::kStatePackLevelSelect, [] { fe::RunPackLevelSelect(1); }, "pack_level_select", 710, 575},
                 {fe::kStateOptions, fe::RunOptions, "options", 110, 150},
                 {fe::kStateKeySetup, fe::RunKeySetup, "key_setup", 110, 290}};
  for (const auto& point : points)
    for (const auto& screen : screens) {
      const std::string shot = std::string(point.name) + "_" + screen.shot;
      fe::SetGameState(screen.state, fe::KeepValue, fe::KeepValue);
      Script s;
      s.every = [&point](int64_t) {
        play::Input.AnimCounter = point.counter;
        play::Input.AnimCounterTime = plat::Millisecs();
      };
      s.at[60] = [&shot] {
        EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath(shot)));
        fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue);
      };
      pt::MouseMove(screen.hoverX, screen.hoverY);
      s.Install();
      screen.run();
      EXPECT_EQ(s.flips, 61) << shot;
    }
}

// ------------------------------------------------------------ level select

TEST_F(ScreensTest, EntryUnlocksThreeLevelsAndStartsWithoutSelection) {
  Script s;
  s.at[0] = [] { pt::KeyTap(27); };
  RunSelect(s);
  EXPECT_EQ(fe::Records.LevelStatus[0], 1);
  EXPECT_EQ(fe::Records.LevelStatus[1], 1);
  EXPECT_EQ(fe::Records.LevelStatus[2], 1);
  EXPECT_EQ(fe::Records.LevelStatus[3], 0);
  EXPECT_EQ(fe::LevelSelect.PreviewLevel, -1);  // level 0 behind no selection
  EXPECT_EQ(fe::Records.ShownRecordNames[0], "");
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

TEST_F(ScreensTest, GridHitAreaFollowsTheCells) {
  EXPECT_EQ(fe::GridCellAt(15, 81), 0);
  EXPECT_EQ(fe::GridCellAt(14, 81), -1);
  EXPECT_EQ(fe::GridCellAt(15, 80), -1);
  EXPECT_EQ(fe::GridCellAt(353, 239), 49);
  EXPECT_EQ(fe::GridCellAt(354, 100), -1);
  EXPECT_EQ(fe::GridCellAt(100, 240), -1);  // the bottom row's last 10 rows
  EXPECT_EQ(fe::GridCellAt(14 + 34 * 3 + 5, 80 + 34 * 2 + 5), 23);
}

TEST_F(ScreensTest, CellsShowProgressByAlphaAndTheSelectionLighter) {
  int* st = fe::Records.LevelStatus;
  st[0] = 2;  // completed
  st[1] = 1;  // open
  st[10] = 1;
  st[11] = 2;
  play::Run.LastPlayedLevel = 2;  // selection: cell 1
  std::vector<uint32_t> px;
  Script s;
  s.at[40] = [&px] {
    px = plat::ReadTargetPixels();
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("level_select")));
    pt::KeyTap(27);
  };
  pt::MouseMove(600, 300);
  RunSelect(s);
  ASSERT_FALSE(px.empty());
  // Entry opened locked levels while fewer than three open ones stood
  // before them.
  EXPECT_EQ(fe::Records.LevelStatus[2], 1);
  EXPECT_EQ(fe::Records.LevelStatus[3], 1);
  EXPECT_EQ(fe::Records.LevelStatus[4], 0);
  EXPECT_EQ(fe::Records.LevelStatus[12], 0);

  const plat::Image& icon = *fe::Res.ImgLevelCell;
  const plat::Image& back = *fe::Res.ImgLevelBack;
  const int ix = 28, iy = 28;  // inside the cell, clear of its number
  const uint32_t ip = icon.pixels[0][iy * icon.width + ix];
  ASSERT_EQ(ip >> 24, 255u);
  auto expect = [&](int k, float alpha, bool selected) {
    const int i = k % 10, j = k / 10;
    const int x = 14 + 34 * i + ix, y = 80 + 34 * j + iy;
    const uint32_t bp = back.pixels[0][(y % 128) * back.width + x % 128];
    const int c = 9 - i;
    int pal[3] = {fe::Res.BlockPaletteR[c], fe::Res.BlockPaletteG[c], fe::Res.BlockPaletteB[c]};
    const Rgb got = PixelAt(px, x, y);
    const int gotc[3] = {got.r, got.g, got.b};
    for (int ch = 0; ch < 3; ++ch) {
      int tint = pal[ch];
      if (selected) tint = (tint + 255) / 2;
      tint = std::min(tint, 255);
      const double src = ((ip >> (8 * ch)) & 255) * tint / 255.0;
      const double dst = (bp >> (8 * ch)) & 255;
      EXPECT_NEAR(gotc[ch], src * alpha + dst * (1 - alpha), 3.0) << "cell " << k << " channel " << ch;
    }
  };
  expect(0, 1.0f, false);
  expect(1, 0.5f, true);
  expect(3, 0.5f, false);
  expect(4, 0.1f, false);
  expect(49, 0.1f, false);
  expect(10, 0.5f, false);
  expect(11, 1.0f, false);
}

TEST_F(ScreensTest, PointerSelectsOpenCellsOnlyWhenItMovesAndAClickPlaysTheSelection) {
  fe::Records.LevelStatus[0] = 2;
  fe::Records.LevelStatus[1] = 2;
  Script s;
  s.at[2] = [] { pt::MouseMove(14 + 34 * 1 + 10, 90); };    // cell 1: selected
  s.at[4] = [] { EXPECT_EQ(fe::Selection(), 1); };
  s.at[5] = [] { pt::MouseMove(14 + 34 * 7 + 10, 90); };    // cell 7, locked
  s.at[7] = [] { EXPECT_EQ(fe::Selection(), 1); };
  s.at[8] = [] { fe::Records.LevelStatus[7] = 1; };         // opens under a resting pointer
  s.at[12] = [] { EXPECT_EQ(fe::Selection(), 1); };
  s.at[13] = [] { pt::MousePress(1); pt::MouseRelease(1); };  // click over cell 7
  RunSelect(s);
  EXPECT_EQ(s.flips, 15);
  EXPECT_EQ(fe::Game.GameState, fe::kStatePlay);
  EXPECT_EQ(fe::Game.CurrentLevel, 2);
}

TEST_F(ScreensTest, LeavingAndReturningKeepsTheSelectionAndNeverGoesBelowNone) {
  fe::Records.LevelStatus[4] = 2;
  play::Run.LastPlayedLevel = 5;  // just played level 5
  for (int round = 0; round < 3; ++round) {
    Script s;
    s.at[3] = [] { pt::KeyTap(27); };
    RunSelect(s);
    EXPECT_EQ(fe::Selection(), 5) << "handed back as level number";
    EXPECT_EQ(fe::LevelSelect.PreviewLevel, 4);
  }
  // The back button leaves the same way.
  Script back;
  back.at[3] = [] { Click(710, 574); };
  RunSelect(back);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
  EXPECT_EQ(fe::Selection(), 5);

  // With nothing selected, repeated visits stay at no selection, and a
  // click on a locked cell or below the grid plays nothing, never level 0
  // or below.
  play::Run.LastPlayedLevel = 0;
  for (int round = 0; round < 3; ++round) {
    Script s;
    s.at[3] = [] { pt::KeyTap(27); };
    RunSelect(s);
  }
  Script click;
  click.at[2] = [] { Click(14 + 34 * 9 + 5, 200); };  // a locked cell
  click.at[4] = [] { Click(14 + 34 * 9 + 5, 245); };  // below the hit area
  click.at[6] = [] { pt::KeyTap(27); };
  RunSelect(click);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
  EXPECT_EQ(fe::Game.CurrentLevel, 0);
  EXPECT_EQ(fe::LevelSelect.PreviewLevel, -1);
  EXPECT_EQ(fe::Selection(), 0);
}

TEST_F(ScreensTest, ALockedStartingSelectionIsDropped) {
  // Level 20 was last played in another pack; here it is locked, so a
  // click with the pointer resting over the grid starts nothing.
  play::Run.LastPlayedLevel = 20;
  Script s;
  s.at[2] = [] { pt::MousePress(1); pt::MouseRelease(1); };
  s.at[4] = [] { pt::KeyTap(27); };
  pt::MouseMove(200, 200);
  RunSelect(s);
  EXPECT_EQ(fe::LevelSelect.PreviewLevel, -1);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
  EXPECT_EQ(fe::Selection(), 0);
}

TEST_F(ScreensTest, PreviewCrossFadesToTheNewSelection) {
  fe::Records.LevelStatus[0] = 2;
  fe::Records.LevelStatus[3] = 2;
  play::Run.LastPlayedLevel = 1;
  std::vector<float> alpha;
  std::vector<int> shown;
  Script s;
  s.every = [&](int64_t) {
    alpha.push_back(fe::LevelSelect.PreviewAlpha);
    shown.push_back(fe::LevelSelect.PreviewLevel);
  };
  s.at[5] = [] { pt::MouseMove(14 + 34 * 3 + 5, 85); };
  s.at[80] = [] { pt::KeyTap(27); };
  RunSelect(s);
  EXPECT_EQ(shown[5], 0);
  EXPECT_FLOAT_EQ(alpha[5], 1.0f);
  // Seen one frame late, 25 frames down, a load frame, 25 frames up.
  EXPECT_LT(alpha[10], 1.0f);
  EXPECT_EQ(shown[20], 0);
  int loadedAt = -1;
  for (size_t f = 0; f < shown.size(); ++f)
    if (shown[f] == 3) { loadedAt = static_cast<int>(f); break; }
  EXPECT_GE(loadedAt, 30);
  EXPECT_LE(loadedAt, 34);
  EXPECT_FLOAT_EQ(alpha[loadedAt], 0.0f);
  EXPECT_FLOAT_EQ(alpha[loadedAt + 30], 1.0f);

  EXPECT_EQ(fe::LevelSelect.PreviewLevel, 3);
}

TEST_F(ScreensTest, PreviewSkipsCellsWithFramesOutsideTheStrips) {
  auto drawn = [] {
    plat::Cls();
    fe::DrawLevelPreview(382, 80, 0.5f, 1.0f);
    return plat::ReadTargetPixels();
  };
  play::Level.Clear();
  const auto empty = drawn();
  for (int bad : {-1, 32, 1000000, -2147483647 - 1}) {
    play::Level.Clear();
    play::Level.TileGrid[3][4] = 5;
    play::Level.EdgeFrameGrid[3][4] = bad;
    play::Level.TileGrid[4][4] = 45;
    play::Level.EdgeFrameGrid[4][4] = bad;
    EXPECT_EQ(drawn(), empty) << bad;
  }
  play::Level.Clear();
  play::Level.TileGrid[3][4] = 5;
  play::Level.EdgeFrameGrid[3][4] = 0;
  EXPECT_NE(drawn(), empty);
  // Drawing state handed back.
  float sx, sy;
  plat::GetScale(sx, sy);
  EXPECT_EQ(sx, 1.0f);
  EXPECT_EQ(plat::GetAlpha(), 1.0f);
}

}  // namespace

namespace {

// Stands in for play: remembers the level and leaves it as play does.
std::vector<int> g_played;
void FakePlay(int level) {
  g_played.push_back(level);
  play::Run.LastPlayedLevel = level;
  fe::SetGameState(fe::kStateLevelSelect, fe::KeepValue, fe::KeepValue);
}

TEST_F(ScreensTest, TheDispatcherRunsSplashMenuSelectAndPlayAndComesBackToThePlayedLevel) {
  g_played.clear();
  fe::Screens().PlayLevel = FakePlay;
  fe::EnterStartState();
  Script s;
  s.limit = 1500;
  s.at[10] = [] { pt::KeyTap(32); };         // skip the splash
  int clicks = 0;
  s.every = [&clicks](int64_t f) {
    // In the main menu press the game button; in the level select click
    // level 2, then after play leave with Escape and exit from the menu.
    if (f % 10 != 0) return;
    if (fe::Game.GameState == fe::kStateMainMenu && clicks == 0) {
      Click(310, 210);
    } else if (fe::Game.GameState == fe::kStateLevelSelect && clicks == 0) {
      Click(14 + 34 * 1 + 5, 85);
      clicks = 1;
    } else if (fe::Game.GameState == fe::kStateLevelSelect && clicks == 1 && !g_played.empty()) {
      EXPECT_EQ(fe::Selection(), 1);  // the level just played
      EXPECT_EQ(fe::LevelSelect.PreviewLevel, 1);
      pt::KeyTap(27);
      clicks = 2;
    } else if (fe::Game.GameState == fe::kStateMainMenu && clicks == 2) {
      Click(310, 410);  // exit
      clicks = 3;
    }
  };
  s.Install();
  fe::RunDispatcher();
  EXPECT_EQ(fe::Game.QuitRequested, 99);
  EXPECT_EQ(g_played, std::vector<int>{2});
  EXPECT_EQ(fe::Records.LevelStatus[1], 1);
}

}  // namespace

namespace {

TEST_F(ScreensTest, ClosingTheWindowEndsTheSplashWithTheQuitRequestStanding) {
  // The start-up's close handler asks for quit.
  Script s;
  s.at[10] = [] { pt::RequestClose(); };
  const int flips = RunSplashCounting(s, nullptr);
  EXPECT_LE(flips, 13);
  EXPECT_EQ(fe::Game.GameState, fe::kStateQuit);
}

}  // namespace
