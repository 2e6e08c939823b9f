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

// Clicks at the given points, one every other frame; returns the flips the
// choice screen ran.
int64_t ChooseDriverWithClicks(const std::vector<std::pair<int, int>>& clicks) {
  int64_t flips = 0;
  plat::test::SetFrameHook([&](int64_t f) {
    flips = f + 1;
    if (f == 1) {
      EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("driver_choice")));
      // Asking which driver to use must not load one of them.
      EXPECT_EQ(plat::RendererName(), "software");
    }
    const size_t i = static_cast<size_t>(f / 2);
    if (f % 2 == 0 && i < clicks.size()) {
      plat::test::MouseMove(clicks[i].first, clicks[i].second);
      plat::test::MousePress(1);
      plat::test::MouseRelease(1);
    }
    if (f > 100) fe::Settings.GraphicsDriverChoice = -1;  // never hang
  });
  fe::RunDriverChoice();
  plat::test::SetFrameHook(nullptr);
  return flips;
}

TEST(DriverChoiceTest, OnlyTheTwoBandsChooseAndTheBandIsOpenAtBothEnds) {
  vtest::GameSandbox sandbox(0);
  // Off the pictures, on the Direct3D picture's left half, and on the band's
  // edges: nothing; then the left area chooses OpenGL.
  EXPECT_EQ(ChooseDriverWithClicks({{450, 300}, {560, 300}, {600, 300}, {150, 280}, {150, 320}, {250, 300}}), 12);
  EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 1);
  fe::Settings.GraphicsDriverChoice = 0;
  EXPECT_EQ(ChooseDriverWithClicks({{650, 319}}), 2);
  EXPECT_EQ(fe::Settings.GraphicsDriverChoice, 2);
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
