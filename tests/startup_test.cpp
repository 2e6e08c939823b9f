// The program body run headless, from start-up to quit, and the tables the
// start-up builds.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "frontend/dispatcher.h"
#include "frontend/driverchoice.h"
#include "frontend/startup.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "services/config.h"
#include "services/resources.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProgramBodyTest : public ::testing::TestWithParam<int> {};

TEST_P(ProgramBodyTest, StartsUpRunsTheDispatcherAndQuitsThroughTheSavePath) {
  vtest::GameSandbox sandbox(GetParam());
  EXPECT_EQ(vtest::RunProgramToQuit(), 0);
  EXPECT_EQ(fe::Game.QuitRequested, 99);
  EXPECT_TRUE(plat::GraphicsOpen());
  EXPECT_EQ(plat::WindowTitle(), "Velkor");

  // The settings were written back unchanged; records and status exist.
  const auto config = ReadAll(sandbox.Path("Data/config.dat"));
  ASSERT_EQ(config.size(), 36u);
  EXPECT_EQ(config[32], GetParam());
  EXPECT_TRUE(std::filesystem::exists(sandbox.Path("Data/Packs/base/scores.dat")));
  EXPECT_TRUE(std::filesystem::exists(sandbox.Path("Data/Packs/base/status.dat")));

  // Every resource picture is loaded and the built-in levels are there.
  EXPECT_TRUE(fe::Res.ImgBlocksPlain);
  EXPECT_EQ(fe::Res.ImgBlocksPlain->frames, 32);
  EXPECT_TRUE(fe::Res.ImgKeyScreenTitle);
  EXPECT_TRUE(plat::IncbinExists("0.doy"));

  // A second call does nothing.
  fe::StartProgram();
  fe::RunGame();
}

INSTANTIATE_TEST_SUITE_P(BothDrivers, ProgramBodyTest, ::testing::Values(1, 2));

// A start-up that cannot go on ends at once with exit code -1 and says why.
TEST(StartupTest, AMissingPictureOrAWindowThatCannotOpenStopsWithAMessage) {
  vtest::GameSandbox sandbox(2);
  // Replace the linked picture folder by a copy without one picture.
  const std::string gfx = sandbox.Path("GFX");
  std::filesystem::remove(gfx);
  std::filesystem::copy(std::string(VELKOR_GAME_DIR) + "/GFX", gfx,
                        std::filesystem::copy_options::recursive);
  std::filesystem::remove(gfx + "/n_body.png");
  testing::internal::CaptureStderr();
  int code = 0;
  try {
    fe::StartProgram();
  } catch (const vtest::ProgramExit& e) {
    code = e.code;
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, -1);
  EXPECT_NE(err.find("n_body.png"), std::string::npos) << err;

  // The program itself, where no video driver can open a window: it must
  // not go on running unseen. (The program runs from its own folder.)
  const std::string program = sandbox.Path("velkor");
  std::filesystem::remove(program);
  std::filesystem::copy_file(std::string(VELKOR_GAME_DIR) + "/velkor", program);
  const int status = std::system(("cd '" + sandbox.Dir() +
                                  "' && SDL_VIDEODRIVER=none timeout 60 ./velkor 2>window.txt").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255);
  std::vector<uint8_t> text = ReadAll(sandbox.Path("window.txt"));
  EXPECT_NE(std::string(text.begin(), text.end()).find("cannot open its window"), std::string::npos);
}

TEST(StartupTest, ColourCycleIsAClosedMonotonicGradientOnTheFourStepGrid) {
  fe::BuildColourCycle();
  const int* ch[3] = {fe::Res.ColourCycleR, fe::Res.ColourCycleG, fe::Res.ColourCycleB};
  const int knots[] = {0, 40, 45, 46, 69, 79, 81, 123, 134, 163, 168, 188, 203, 204, 228, 244, 245, 255};
  EXPECT_EQ(fe::Res.ColourCycleR[0], 255);
  EXPECT_EQ(fe::Res.ColourCycleG[134], 116);
  EXPECT_EQ(fe::Res.ColourCycleB[188], 232);
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 256; ++i) {
      const int v = ch[c][i];
      EXPECT_TRUE(v == 255 || (v % 4 == 0 && v >= 0 && v <= 252)) << c << " " << i << " " << v;
    }
    for (size_t k = 0; k + 1 < std::size(knots); ++k) {
      const int a = knots[k], b = knots[k + 1];
      const int dir = ch[c][b] > ch[c][a] ? 1 : (ch[c][b] < ch[c][a] ? -1 : 0);
      for (int i = a; i < b; ++i) {
        EXPECT_GE((ch[c][i + 1] - ch[c][i]) * dir, 0) << "channel " << c << " turns back at " << i;
        const double line = ch[c][a] + (ch[c][b] - ch[c][a]) * double(i - a) / (b - a);
        EXPECT_LE(std::abs(ch[c][i] - line), 8.0);
      }
    }
  }
}

TEST(StartupTest, CommandLineArgumentsJoinWithoutSeparator) {
  plat::SetProgramArgs({"/x/velkor", "", ""});
  EXPECT_EQ(fe::JoinCommandLine(), "");
  plat::SetProgramArgs({"/x/velkor", "a", "", "bc"});
  EXPECT_EQ(fe::JoinCommandLine(), "abc");
}

// Runs the choice screen with one click at (x, y); returns the driver chosen,
// or 0 when the screen still asked in the frame after the click.
int ChoiceForClick(int x, int y, bool shoot) {
  bool clicked = false;
  plat::test::SetFrameHook([&](int64_t) {
    if (clicked) {
      if (fe::Settings.GraphicsDriverChoice == 0) fe::Settings.GraphicsDriverChoice = -1;
      return;
    }
    clicked = true;
    // Asking which driver to use must not load one of them.
    EXPECT_EQ(plat::RendererName(), "software");
    if (shoot) {
      EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("driver_choice")));
    }
    plat::test::MouseMove(x, y);
    plat::test::MousePress(1);
    plat::test::MouseRelease(1);
  });
  fe::RunDriverChoice();
  plat::test::SetFrameHook(nullptr);
  const int chosen = fe::Settings.GraphicsDriverChoice;
  fe::Settings.GraphicsDriverChoice = 0;
  return chosen < 0 ? 0 : chosen;
}

// A click anywhere on either picture, or beside it towards its side of the
// screen, chooses its driver; between the two, and on or outside the edges
// of the band (y 281..319), nothing does.
TEST(DriverChoiceTest, EachPictureChoosesItsDriverWhereverItIsClicked) {
  vtest::GameSandbox sandbox(0);
  // The pictures as the screen draws them: centred at x 200 and 600.
  const plat::ImagePtr gl = plat::LoadImage("gfx/menu/opengl.png");
  const plat::ImagePtr sw = plat::LoadImage("gfx/menu/directx.png");
  ASSERT_TRUE(gl && sw);
  const int glLeft = 200 - gl->width / 2, glRight = glLeft + gl->width - 1;
  const int swLeft = 600 - sw->width / 2, swRight = swLeft + sw->width - 1;
  ASSERT_LT(glRight, 300);
  ASSERT_GT(swLeft, 500);
  const struct {
    const char* where;
    int x, y, chosen;
  } cases[] = {
      {"first picture, left edge", glLeft, 300, 1},
      {"first picture, right edge", glRight, 300, 1},
      {"right of the first picture", 299, 300, 1},
      {"between the two", 300, 300, 0},
      {"between the two", 500, 300, 0},
      {"left of the second picture", 501, 300, 2},
      {"second picture, left edge", swLeft, 300, 2},
      {"second picture, left half", 560, 300, 2},
      {"second picture, right edge", swRight, 300, 2},
      {"first, band's top row", 150, 281, 1},
      {"first, below the band", 150, 320, 0},
      {"second, above the band", 560, 280, 0},
      {"second, band's bottom row", 560, 319, 2},
  };
  bool first = true;
  for (const auto& c : cases) {
    EXPECT_EQ(ChoiceForClick(c.x, c.y, first), c.chosen) << c.where << " (" << c.x << ", " << c.y << ")";
    first = false;
  }
}

TEST(DriverChoiceTest, AnArgumentAsksAgainAndTheFirstPassStoresTheNewChoice) {
  {
    vtest::GameSandbox sandbox(2);
    plat::SetProgramArgs({sandbox.Path("velkor"), "x"});
    int64_t flips = 0;
    plat::test::SetFrameHook([&](int64_t f) {
      if (fe::Game.GameState != 0) return;  // only the choice screen runs before state 6
      flips = f + 1;
      if (f == 2) {
        plat::test::MouseMove(250, 300);
        plat::test::MousePress(1);
        plat::test::MouseRelease(1);
      }
    });
    fe::StartUp();
    plat::test::SetFrameHook(nullptr);
    EXPECT_GT(flips, 0);
    EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 1);
    fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue);
    fe::DispatcherPass();
    const std::vector<uint8_t> config = ReadAll(sandbox.Path("Data/config.dat"));
    ASSERT_EQ(config.size(), 36u);
    EXPECT_EQ(config[32], 1);
  }
  // Without an argument the stored choice is used and no screen is shown.
  vtest::GameSandbox again(2);
  plat::test::SetFrameHook([](int64_t) { ADD_FAILURE() << "a frame was shown during start-up"; });
  fe::StartUp();
  plat::test::SetFrameHook(nullptr);
  EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 2);
}

}  // namespace
