// The pack level select, the options and the key definition screens,
// driven frame by frame with injected input in a throw-away game folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frontend/buttons.h"
#include "frontend/config.h"
#include "frontend/gamestate.h"
#include "frontend/keysetup.h"
#include "frontend/levelselect.h"
#include "frontend/options.h"
#include "frontend/resources.h"
#include "play/input.h"
#include "play/level.h"
#include "play/tavik.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "support/bytes.h"
#include "support/play_support.h"
#include "support/screen_script.h"
#include "support/screenshots.h"

namespace {

namespace fs = std::filesystem;
namespace pt = plat::test;
using vtest::Click;
using vtest::FrameScript;

class MenuScreensTest : public vtest::ScreenTest {
 protected:
  // A pack of the player's own becomes current.
  void UsePack(const std::string& name) {
    fs::create_directories(sandbox_->Path("Data/Packs/" + name + "/levels"));
    fs::create_directories(sandbox_->Path("Data/Packs/" + name + "/replays"));
    fe::Game.CurrentPack = name;
    fe::LoadRecords();
  }
  std::string LevelFile(int n) const {
    return sandbox_->Path("Data/Packs/" + fe::Game.CurrentPack + "/levels/" + std::to_string(n) + ".doy");
  }
  // Level n of the current pack, a few blocks with or without a start, the
  // file cut to `keep` bytes.
  void WriteLevel(int n, bool start, size_t keep = SIZE_MAX) const {
    play::LevelData level = vtest::BlankLevel();
    vtest::FillTiles(level, 0, 30, 49, 35, 3);
    if (start) vtest::PutObject(level, 5, 5, play::kObjStart);
    std::vector<uint8_t> bytes = play::EncodeLevel(level);
    bytes.resize(std::min(keep, bytes.size()));
    std::ofstream(LevelFile(n), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  // Runs a screen the way the dispatcher does.
  void Run(int state, void (*screen)(), FrameScript& s) {
    fe::SetGameState(state, fe::KeepValue, fe::KeepValue);
    s.Install();
    screen();
  }
};

void PackSelect() { fe::RunPackLevelSelect(1); }

// Cell k of the level grid was drawn: the point inside it clear of its
// number differs from the background picture tiled there.
bool CellDrawn(const std::vector<uint32_t>& px, int k) {
  const int x = 14 + 34 * (k % 10) + 28, y = 80 + 34 * (k / 10) + 28;
  const plat::Image& back = *fe::Res.ImgLevelBack;
  const uint32_t b = back.pixels[0][(y % back.height) * back.width + x % back.width];
  const vtest::Rgb got = vtest::PixelAt(px, x, y);
  return std::abs(got.r - int(b & 255)) + std::abs(got.g - int((b >> 8) & 255)) +
             std::abs(got.b - int((b >> 16) & 255)) > 12;
}

// The middle of cell k, for the pointer.
void PointAtCell(int k) { pt::MouseMove(14 + 34 * (k % 10) + 16, 80 + 34 * (k / 10) + 10); }

// ------------------------------------------------------- pack level select

TEST_F(MenuScreensTest, OnlyAWholeLevelFileWithAStartIsPlayable) {
  const std::string unreadable = "/proc/sys/vm/drop_caches";  // write-only, even for root
  struct Case {
    const char* what;
    std::function<void()> make;
    int playable;
  };
  const Case cases[] = {
      {"a level with a start", [&] { WriteLevel(3, true); }, 1},
      {"a level whose start was removed", [&] { WriteLevel(3, false); }, 0},
      {"no file", [] {}, 0},
      {"a folder named like the level", [&] { fs::create_directory(LevelFile(3)); }, 0},
      {"a file cut inside the object grid, past its start",
       [&] { WriteLevel(3, true, 3 * play::kGridBytes + 1000); }, 0},
      {"a file that cannot be opened", [&] { fs::create_symlink(unreadable, LevelFile(3)); }, 0},
  };
  UsePack("mine");
  for (const Case& c : cases) {
    fs::remove_all(LevelFile(3));
    c.make();
    if (std::string(c.what).find("opened") != std::string::npos && ::access(unreadable.c_str(), R_OK) == 0)
      continue;  // this machine lets us read it
    for (int& v : fe::Records.PackLevelPlayable) v = 1;
    fe::ScanPackLevels();
    for (int k = 0; k < 50; ++k)
      EXPECT_EQ(fe::Records.PackLevelPlayable[k], k == 2 ? c.playable : 0) << c.what << ", cell " << k;
  }
}

TEST_F(MenuScreensTest, PackSelectShowsAndOffersOnlyPlayableCells) {
  UsePack("mine");
  WriteLevel(3, true);
  WriteLevel(4, false);
  fs::create_directory(LevelFile(5));
  std::vector<uint32_t> px;
  FrameScript s;
  s.at[5] = [] { PointAtCell(3); };
  s.at[7] = [] { EXPECT_EQ(fe::Selection(), -1); };  // a level without a start
  s.at[8] = [] { PointAtCell(2); };
  s.at[10] = [] {
    EXPECT_EQ(fe::Selection(), 2);
    pt::MouseMove(600, 300);
  };
  s.at[60] = [&px] {
    px = plat::ReadTargetPixels();
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("pack_level_select")));
    PointAtCell(4);
  };
  s.at[62] = [] { pt::MousePress(1); pt::MouseRelease(1); };  // over a folder: plays the selection
  Run(fe::kStatePackLevelSelect, PackSelect, s);
  EXPECT_EQ(fe::Game.GameState, fe::kStatePlay);
  EXPECT_EQ(fe::Game.CurrentLevel, 3);
  for (int k = 0; k < 50; ++k) EXPECT_EQ(CellDrawn(px, k), k == 2) << "cell " << k;

  // The editor removes the start; coming back hides the cell and drops the
  // selection.
  WriteLevel(3, false);
  FrameScript again;
  again.at[3] = [&px] {
    px = plat::ReadTargetPixels();
    pt::KeyTap(27);
  };
  Run(fe::kStatePackLevelSelect, PackSelect, again);
  EXPECT_FALSE(CellDrawn(px, 2));
  EXPECT_EQ(fe::LevelSelect.PreviewLevel, -1);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

TEST_F(MenuScreensTest, PackNameIsCutAtTwentyCharacters) {
  // The heading band of the screen, drawn at the same moment for each pack.
  auto heading = [this](const std::string& pack) {
    UsePack(pack);
    pt::SetClock(200000);
    play::Input.AnimCounter = 0;
    play::Input.AnimCounterTime = 200000;
    std::vector<uint32_t> band;
    FrameScript s;
    s.at[60] = [&band] {
      const std::vector<uint32_t> px = plat::ReadTargetPixels();
      band.assign(px.begin(), px.begin() + 54 * plat::kScreenW);
      pt::KeyTap(27);
    };
    Run(fe::kStatePackLevelSelect, PackSelect, s);
    return band;
  };
  const auto twenty = heading("abcdefghijklmnopqrst");
  EXPECT_EQ(heading("abcdefghijklmnopqrstuvwxyz"), twenty);
  EXPECT_NE(heading("abcdefghijklmnopqrs"), twenty);
}

TEST_F(MenuScreensTest, NextPackLevelDecidesFromAFreshScanAndFallsBackOnTheLevelJustPlayed) {
  UsePack("mine");
  WriteLevel(3, true);
  WriteLevel(4, true);
  fe::ScanPackLevels();
  // Saved by the editor after that scan: level 4 without its start, level 5
  // new.
  WriteLevel(4, false);
  WriteLevel(5, true);
  fe::SetGameState(fe::kStateNextPackLevel, 5, fe::KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStatePlay);
  EXPECT_EQ(fe::Game.CurrentLevel, 5);

  play::Run.LastPlayedLevel = 3;  // play left level 3, "next" asks for 4
  fe::SetGameState(fe::kStateNextPackLevel, 4, fe::KeepValue);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStatePackLevelSelect);
  FrameScript s;
  s.at[5] = [] {
    EXPECT_EQ(fe::Selection(), 2);
    EXPECT_EQ(fe::LevelSelect.PreviewLevel, 2);
    EXPECT_EQ(fe::Buttons.ButtonList[20]->visible, 1);  // the select's back button
  };
  s.at[6] = [] { Click(710, 574); };
  s.Install();
  fe::DispatcherPass();
  EXPECT_EQ(s.flips, 8);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

TEST_F(MenuScreensTest, SpaceInThePackSelectComesBackToItOnThePreviewedLevel) {
  UsePack("mine");
  WriteLevel(3, true);
  play::Run.LastPlayedLevel = 3;
  FrameScript s;
  s.at[5] = [] { pt::KeyTap(32); };
  Run(fe::kStatePackLevelSelect, PackSelect, s);
  EXPECT_EQ(fe::Game.GameState, fe::kStatePackPreview);
  EXPECT_EQ(fe::Game.CurrentLevel, 3);
  fe::DispatcherPass();  // state 8 has no screen
  EXPECT_EQ(fe::Game.GameState, fe::kStatePackLevelSelect);
  FrameScript back;
  back.at[5] = [] {
    EXPECT_EQ(fe::Selection(), 2);
    pt::KeyTap(27);
  };
  back.Install();
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

// ---------------------------------------------------------------- options

TEST_F(MenuScreensTest, VolumeMarkersRunFromTheMinusToThePlusButton) {
  UsePack("mine");  // no level 0: nothing behind the markers but the background
  const plat::Image& marker = *fe::Res.ImgVolumeMarker;
  // The marker's opaque part.
  int opaqueLeft = marker.width, opaqueRight = -1;
  for (int y = 0; y < marker.height; ++y)
    for (int x = 0; x < marker.width; ++x)
      if (marker.pixels[0][y * marker.width + x] >> 24 > 128)
        opaqueLeft = std::min(opaqueLeft, x), opaqueRight = std::max(opaqueRight, x);
  ASSERT_LE(opaqueLeft, opaqueRight);
  struct Row {
    float sfx, music;
  };
  for (const Row& row : {Row{0.5f, 1.0f}, Row{0.0f, 0.3f}}) {
    fe::Settings.SfxVolume = row.sfx;
    fe::Settings.MusicVolume = row.music;
    std::vector<uint32_t> with, without;
    FrameScript s;
    s.at[60] = [&] {
      with = plat::ReadTargetPixels();
      if (row.sfx == 0.5f) EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("options")));
      fe::Settings.SfxVolume = fe::Settings.MusicVolume = -1.0f;  // off to the left
    };
    s.at[61] = [&] {
      without = plat::ReadTargetPixels();
      pt::KeyTap(27);
    };
    Run(fe::kStateOptions, fe::RunOptions, s);
    // The box of pixels the markers changed between the minus and plus
    // buttons is the marker's picture placed at the expected point.
    for (const auto& [volume, y0] : {std::pair{row.sfx, 268}, std::pair{row.music, 348}}) {
      int left = 800, top = 600, right = -1, bottom = -1;
      for (int y = y0 - 8; y < y0 + marker.height + 8; ++y)
        for (int x = 132; x < 324; ++x)
          if (!(vtest::PixelAt(with, x, y) == vtest::PixelAt(without, x, y))) {
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
          }
      const int x0 = static_cast<int>(140 + 160 * volume);
      EXPECT_EQ(left, x0 + opaqueLeft) << volume;
      EXPECT_EQ(right, x0 + opaqueRight) << volume;
      EXPECT_GE(top, y0);
      EXPECT_LT(bottom, y0 + marker.height);
    }
  }
}

// Stands in for the upload dialog: counts its calls, open while `open`.
struct DialogStandIn {
  static inline int resets = 0, updates = 0, draws = 0;
  static inline bool open = false;
  static void Install() {
    resets = updates = draws = 0;
    fe::UploadDialog() = {[] { ++resets; }, [] { ++updates; }, [] { ++draws; }, [] { return !open; }};
  }
};

TEST_F(MenuScreensTest, OptionsButtonsRestWhileAnUploadPageIsShown) {
  DialogStandIn::Install();
  DialogStandIn::open = true;
  FrameScript s;
  s.at[5] = [] { Click(110, 190); };  // keys: nothing while a page is shown
  s.at[8] = [] {
    EXPECT_EQ(fe::Game.GameState, fe::kStateOptions);
    DialogStandIn::open = false;
  };
  s.at[10] = [] { Click(110, 190); };
  Run(fe::kStateOptions, fe::RunOptions, s);
  EXPECT_EQ(s.flips, 12);
  EXPECT_EQ(fe::Game.GameState, fe::kStateKeySetup);
  EXPECT_EQ(DialogStandIn::resets, 1);
  EXPECT_EQ(DialogStandIn::updates, 12);
  EXPECT_EQ(DialogStandIn::draws, 12);

  // Escape leaves even over an open page.
  DialogStandIn::open = true;
  FrameScript esc;
  esc.at[5] = [] { pt::KeyTap(27); };
  Run(fe::kStateOptions, fe::RunOptions, esc);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

// ------------------------------------------------------------------- keys

TEST_F(MenuScreensTest, KeysAreShownByName) {
  const std::pair<int, const char*> names[] = {
      {65, "A"},      {68, "D"},       {87, "W"},      {32, "SPACE"},  {13, "RETURN"},
      {160, "LSHIFT"}, {165, "RALT"},  {40, "DOWN"},   {48, "0"},      {27, "ESCAPE"},
      {112, "F1"},     {97, "NUM1"},   {188, ","},     {0, "KEY 0"},
  };
  for (const auto& [code, name] : names) EXPECT_EQ(fe::KeyName(code), name) << code;
}

TEST_F(MenuScreensTest, APickerWaitsForOneKeyAndBindsItAlone) {
  struct Case {
    int pickerY, prompt;
    int fe::SettingsVars::*binding;
    int key;
  };
  const Case cases[] = {
      {210, 1, &fe::SettingsVars::KeyBindLeft, 'J'},
      {250, 2, &fe::SettingsVars::KeyBindRight, plat::vk::Right},
      {290, 3, &fe::SettingsVars::KeyBindUp, plat::vk::Escape},
      {330, 4, &fe::SettingsVars::KeyBindSlowMo, plat::vk::LShift},
  };
  for (const Case& c : cases) {
    fe::ResetSettings();
    const fe::SettingsVars before = fe::Settings;
    std::vector<uint32_t> early, late;
    FrameScript s;
    s.at[5] = [&] { Click(110, c.pickerY); };
    s.at[20] = [&] { early = plat::ReadTargetPixels(); };
    s.at[50] = [&] {
      late = plat::ReadTargetPixels();
      EXPECT_EQ(fe::Buttons.KeyPromptIndex, c.prompt);
      if (c.prompt == 3) EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("key_prompt")));
      pt::MousePress(1);  // clicks while waiting do nothing afterwards
      pt::MouseRelease(1);
    };
    s.at[60] = [&] { pt::KeyTap(c.key); };
    s.at[70] = [] { Click(700, 535); };  // back
    Run(fe::kStateKeySetup, fe::RunKeySetup, s);
    EXPECT_EQ(early, late) << "nothing moves while the prompt waits";
    EXPECT_EQ(s.flips, 72) << "the captured key did not leave the screen";
    EXPECT_EQ(fe::Game.GameState, fe::kStateOptions);
    EXPECT_EQ(fe::Buttons.KeyPromptIndex, 0);
    fe::SettingsVars want = before;
    want.*c.binding = c.key;
    for (auto m : {&fe::SettingsVars::KeyBindLeft, &fe::SettingsVars::KeyBindRight,
                   &fe::SettingsVars::KeyBindUp, &fe::SettingsVars::KeyBindDown,
                   &fe::SettingsVars::KeyBindSlowMo})
      EXPECT_EQ(fe::Settings.*m, want.*m) << "picker " << c.prompt;
  }
}

TEST_F(MenuScreensTest, ClosingTheWindowWhileAKeyIsAwaitedQuitsThroughTheSavePath) {
  fe::Settings.KeyBindLeft = 'J';
  FrameScript s;
  s.at[5] = [] { Click(110, 290); };
  s.at[30] = [] { pt::RequestClose(); };
  Run(fe::kStateKeySetup, fe::RunKeySetup, s);
  EXPECT_LE(s.flips, 33);
  EXPECT_EQ(fe::Game.GameState, fe::kStateQuit);
  EXPECT_EQ(fe::Settings.KeyBindUp, 87);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.QuitRequested, 99);
  std::vector<uint8_t> config;
  ASSERT_TRUE(plat::LoadFileBytes("Data/config.dat", config));
  EXPECT_EQ(vtest::IntAt(config, 16), 'J');
}

TEST_F(MenuScreensTest, ANewBindingReachesTheSettingsFileAtTheNextPassAndDrivesPlay) {
  FrameScript s;
  s.at[5] = [] { Click(110, 290); };
  s.at[10] = [] { pt::KeyTap('K'); };
  s.at[15] = [] { EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("key_setup"))); };
  s.at[16] = [] { pt::KeyTap(27); };
  Run(fe::kStateKeySetup, fe::RunKeySetup, s);
  EXPECT_EQ(fe::Game.GameState, fe::kStateOptions);
  fe::Screens().RunOptions = [] { fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue); };
  fe::DispatcherPass();
  std::vector<uint8_t> config;
  ASSERT_TRUE(plat::LoadFileBytes("Data/config.dat", config));
  EXPECT_EQ(vtest::IntAt(config, 8), 'K');
  EXPECT_EQ(vtest::IntAt(config, 12), 83);  // down stays

  for (const auto& [key, held] : {std::pair{'K', 1}, std::pair{'W', 0}}) {
    pt::KeyPress(key);
    play::PollInput(0);
    EXPECT_EQ(play::Input.KeyDownUp, held) << key;
    EXPECT_EQ(play::Input.KeyHitUp, held) << key;
    pt::KeyRelease(key);
  }
}

TEST_F(MenuScreensTest, TheOlderSequenceStoresAllFiveOnlyOnYes) {
  play::LoadLevel(0);
  const int keys[5] = {'I', 'K', 'J', 'L', 'U'};  // up, down, left, right, slow motion
  for (const int answer : {'Y', 'y', 'n'}) {
    fe::ResetSettings();
    // The sequence shows a line and waits; each wait is answered 10 frames
    // after it starts, and the next starts 2 frames later.
    int next = 13, given = 0;
    FrameScript s;
    s.every = [&](int64_t f) {
      if (f != next) return;
      if (given < 5) pt::KeyTap(keys[given]);
      if (given == 5) {
        EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("configure_keys")));
        pt::TypeChar(answer);
      }
      ++given;
      next += 12;
    };
    s.Install();
    fe::ConfigureKeys();
    EXPECT_EQ(given, 6);
    const fe::SettingsVars& k = fe::Settings;
    const bool yes = answer != 'n';
    EXPECT_EQ(k.KeyBindUp, yes ? 'I' : 87);
    EXPECT_EQ(k.KeyBindDown, yes ? 'K' : 83);
    EXPECT_EQ(k.KeyBindLeft, yes ? 'J' : 65);
    EXPECT_EQ(k.KeyBindRight, yes ? 'L' : 68);
    EXPECT_EQ(k.KeyBindSlowMo, yes ? 'U' : 32);
  }
}

}  // namespace
