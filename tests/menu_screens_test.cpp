// The pack level select, the options and the key definition screens,
// driven frame by frame with injected input in a throw-away game folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/packs.h"
#include "frontend/dispatcher.h"
#include "frontend/keysetup.h"
#include "frontend/levelselect.h"
#include "frontend/options.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/levelfile.h"
#include "services/resources.h"
#include "services/tiles.h"
#include "services/uploadstate.h"
#include "support/bytes.h"
#include "support/play_support.h"
#include "support/screen_script.h"
#include "support/screenshots.h"

namespace {

namespace fs = std::filesystem;
namespace pt = plat::test;
using vtest::Click;
using vtest::FrameScript;
using Pixels = std::vector<uint32_t>;

class MenuScreensTest : public vtest::ScreenTest {
 protected:
  // A pack of the player's own, with no level 0, becomes current.
  void UsePack(const std::string& name) {
    fs::create_directories(sandbox_->Path("Data/Packs/" + name + "/levels"));
    fe::Game.CurrentPack = name;
    fe::LoadRecords();
  }
  std::string LevelFile(int n) const {
    return sandbox_->Path("Data/Packs/" + fe::Game.CurrentPack + "/levels/" + std::to_string(n) + ".doy");
  }
  // Level n of the current pack: a floor, a start or none, cut to `keep` bytes.
  void WriteLevel(int n, bool start, size_t keep = SIZE_MAX) const {
    play::LevelData level = vtest::BlankLevel();
    vtest::FillTiles(level, 0, 30, 49, 35, 3);
    if (start) vtest::PutObject(level, 5, 5, play::kObjStart);
    std::vector<uint8_t> bytes = play::EncodeLevel(level);
    std::ofstream(LevelFile(n), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::min(keep, bytes.size()));
  }
  // Runs a screen as the dispatcher does.
  void Run(int state, void (*screen)(), FrameScript& s) {
    fe::SetGameState(state, fe::KeepValue, fe::KeepValue);
    s.Install();
    screen();
  }
};

void PackSelect() { fe::RunPackLevelSelect(1); }

// The row of the options' pack list that shows the pack, -1 when none does.
int RowOf(const std::string& name) {
  for (int row = 0; row < editor::PackListMax; ++row)
    if (editor::PackInRow(row) == name) return row;
  return -1;
}
void PointAtCell(int k) { pt::MouseMove(14 + 34 * (k % 10) + 16, 80 + 34 * (k / 10) + 10); }

// The point inside cell k clear of its number shows more than the
// background picture tiled there.
bool CellDrawn(const Pixels& px, int k) {
  const int x = 14 + 34 * (k % 10) + 28, y = 80 + 34 * (k / 10) + 28;
  const plat::Image& back = *fe::Res.ImgLevelBack;
  const uint32_t b = back.pixels[0][(y % back.height) * back.width + x % back.width];
  const vtest::Rgb got = vtest::PixelAt(px, x, y);
  return std::abs(got.r - int(b & 255)) + std::abs(got.g - int((b >> 8) & 255)) > 8;
}

// ------------------------------------------------------- pack level select

TEST_F(MenuScreensTest, OnlyALevelThatLoadsWithAStartIsPlayable) {
  const std::string writeOnly = "/proc/sys/vm/drop_caches";  // even root cannot read it
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"with a start", [&] { WriteLevel(3, true); }},
      {"start removed", [&] { WriteLevel(3, false); }},
      {"missing", [] {}},
      {"a folder", [&] { fs::create_directory(LevelFile(3)); }},
      {"cut inside the object grid, after its start", [&] { WriteLevel(3, true, 3 * play::kGridBytes + 1000); }},
      {"cut inside the object grid, before its start", [&] { WriteLevel(3, true, 3 * play::kGridBytes + 700); }},
      {"unopenable", [&] { fs::create_symlink(writeOnly, LevelFile(3)); }},
  };
  UsePack("mine");
  for (const auto& [what, make] : cases) {
    fs::remove_all(LevelFile(3));
    make();
    for (int& v : fe::Records.PackLevelPlayable) v = 1;
    fe::ScanPackLevels();
    for (int k = 0; k < 50; ++k)
      EXPECT_EQ(fe::Records.PackLevelPlayable[k], k == 2 && (what == cases[0].first || what == cases[4].first))
          << what << " " << k;
  }
  EXPECT_NE(::access(writeOnly.c_str(), R_OK), 0);
}

TEST_F(MenuScreensTest, PackSelectShowsAndOffersOnlyPlayableCells) {
  UsePack("mine");
  WriteLevel(3, true);
  WriteLevel(4, false);
  Pixels px;
  FrameScript s;
  s.at[5] = [] { PointAtCell(3); };
  s.at[7] = [] { EXPECT_EQ(fe::Selection(), -1); };
  s.at[8] = [] { PointAtCell(2); };
  s.at[10] = [] { pt::MouseMove(600, 300); };
  s.at[60] = [&px] {
    px = plat::ReadTargetPixels();
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("pack_level_select")));
    PointAtCell(3);
  };
  s.at[62] = [] { pt::MousePress(1); };  // over level 4: plays the selection
  Run(fe::kStatePackLevelSelect, PackSelect, s);
  EXPECT_EQ(fe::Game.GameState, fe::kStatePlay);
  EXPECT_EQ(fe::Game.CurrentLevel, 3);
  for (int k = 0; k < 50; ++k) EXPECT_EQ(CellDrawn(px, k), k == 2) << "cell " << k;
}

TEST_F(MenuScreensTest, PackNameIsCutAtTwentyCharacters) {
  // The heading band, drawn at the same moment for each pack.
  auto heading = [this](const std::string& pack) {
    UsePack(pack);
    pt::SetClock(200000);
    play::Input = play::InputVars{};
    play::Input.AnimCounterTime = 200000;
    Pixels band;
    FrameScript s;
    s.at[60] = [&band] {
      band = plat::ReadTargetPixels();
      band.resize(54 * plat::kScreenW);
      pt::KeyTap(27);
    };
    Run(fe::kStatePackLevelSelect, PackSelect, s);
    return band;
  };
  const Pixels twenty = heading("abcdefghijklmnopqrst");
  EXPECT_EQ(heading("abcdefghijklmnopqrstuvwxyz"), twenty);
  EXPECT_NE(heading("abcdefghijklmnopqrs"), twenty);
}

TEST_F(MenuScreensTest, ThePackSelectOpensOnTheLevelJustPlayedWithAWayBack) {
  UsePack("mine");
  WriteLevel(3, true);
  fe::SetGameState(fe::kStateNextPackLevel, 4, fe::KeepValue);  // "next" after level 3
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStatePackLevelSelect);
  // It opens on level 3 with its back button; Space asks for state 8, which
  // leads back here.
  play::Run.LastPlayedLevel = 3;
  FrameScript s;
  s.every = [](int64_t f) {
    if (f % 10 != 5) return;
    EXPECT_EQ(fe::Selection(), 2);
    EXPECT_EQ(fe::Buttons.ButtonList[20]->visible, 1);
    if (f == 5) pt::KeyTap(32);
    if (f == 15) Click(710, 574);
  };
  s.Install();
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStatePackPreview);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStatePackLevelSelect);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

// ---------------------------------------------------------------- options

TEST_F(MenuScreensTest, VolumeMarkersStandBetweenTheMinusAndPlusButtons) {
  UsePack("mine");  // no level 0: only the background behind the markers
  const plat::Image& m = *fe::Res.ImgVolumeMarker;
  int opaqueLeft = m.width;
  for (int i = 0; i < m.width * m.height; ++i)
    if (m.pixels[0][i] >> 24 > 128) opaqueLeft = std::min(opaqueLeft, i % m.width);
  fe::Settings.SfxVolume = 0.5f;
  fe::Settings.MusicVolume = 1.0f;
  Pixels with, without;
  FrameScript s;
  s.at[60] = [&] {
    with = plat::ReadTargetPixels();
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("options")));
    fe::Settings.SfxVolume = fe::Settings.MusicVolume = -1.0f;  // off to the left
  };
  s.at[61] = [&] { without = plat::ReadTargetPixels(), pt::KeyTap(27); };
  Run(fe::kStateOptions, fe::RunOptions, s);
  for (const auto& [x0, y0] : {std::pair{220, 268}, std::pair{300, 348}}) {
    int left = 800, top = 600;
    for (int y = y0 - 8; y < y0 + m.height; ++y)
      for (int x = 132; x < 324; ++x)
        if (!(vtest::PixelAt(with, x, y) == vtest::PixelAt(without, x, y)))
          left = std::min(left, x), top = std::min(top, y);
    EXPECT_EQ(left, x0 + opaqueLeft);
    EXPECT_GE(top, y0);
  }
}

TEST_F(MenuScreensTest, OptionsButtonsRestWhileAnUploadPageIsShownButThePackListTakesClicks) {
  UsePack("zeta");
  for (int i = 10; i < 24; ++i) fs::create_directories(sandbox_->Path("Data/Packs/p" + std::to_string(i)));
  UsePack("alpha");
  fe::Records.RecordTimes[1][0] = 12345;
  fe::SaveRecordsAndStatus();
  fe::Game.CurrentPack = "base";
  fe::LoadRecords();
  std::vector<int> backdrop;
  auto tiles = [] { return std::vector<int>(&play::Level.TileGrid[0][0], &play::Level.TileGrid[0][0] + 1800); };
  FrameScript s;
  s.at[1] = [] { fe::Upload.UploadDialogPage = fe::kUploadFailure; };  // fades in from the next frame
  s.at[3] = [&] { backdrop = tiles(); };
  s.at[5] = [] { Click(110, 190); };  // keys: nothing while a page is shown
  s.at[6] = [] { Click(550, 132); };  // "alpha", first in the list
  s.at[7] = [] { Click(520, 370); };  // "Leave", over row 15 ("p23"): the dialog's alone
  s.at[8] = [&] {
    EXPECT_EQ(fe::Upload.UploadDialogPage, fe::kUploadNone);
    EXPECT_EQ(fe::Game.CurrentPack, "alpha");
    EXPECT_EQ(fe::Records.RecordTimes[1][0], 12345);
    EXPECT_EQ(tiles(), backdrop);
    fe::Upload = {};  // closed at once
  };
  s.at[10] = [] { Click(110, 190); };
  Run(fe::kStateOptions, fe::RunOptions, s);
  EXPECT_EQ(s.flips, 12);
  EXPECT_EQ(fe::Game.GameState, fe::kStateKeySetup);
}

// Forty packs and the campaign, each chosen from the options' list, which
// opens on the current pack: down the list reaching each with the arrows,
// then back up with the wheel.
TEST_F(MenuScreensTest, EveryPackOfFortyIsChosenFromTheOptionsList) {
  for (int i = 0; i < 40; ++i) fs::create_directories(sandbox_->Path("Data/Packs/pack" + std::to_string(10 + i)));
  fe::Game.CurrentPack = "pack40";
  const std::vector<std::string>& names = editor::Packs.PackNames;
  std::vector<std::string> order, chosen;
  std::string clicked;
  size_t next = 0;
  bool openedOnCurrent = false;
  FrameScript s;
  s.every = [&](int64_t f) {
    if (f == 0) {
      ASSERT_EQ(names.size(), 41u);
      openedOnCurrent = RowOf("pack40") == 21;  // brought just into view
      order = names;
      order.insert(order.end(), names.rbegin() + 1, names.rend());
    }
    if (!clicked.empty() && fe::Game.CurrentPack == clicked) chosen.push_back(clicked), ++next;
    clicked.clear();
    if (next == order.size()) return pt::KeyTap(27);
    const std::string& target = order[next];
    const bool up = std::find(names.begin(), names.end(), target) - names.begin() < editor::Packs.PackListTop;
    if (const int row = RowOf(target); row >= 0) {
      clicked = target;
      Click(550, 124 + 16 * row + 8);
    } else if (next >= names.size()) {
      pt::MouseMove(600, 300);
      pt::TurnWheel(up ? 1 : -1);
    } else {
      Click(734, up ? 132 : 468);
    }
  };
  Run(fe::kStateOptions, fe::RunOptions, s);
  EXPECT_TRUE(openedOnCurrent);
  EXPECT_EQ(chosen, order);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

// ------------------------------------------------------------------- keys

TEST_F(MenuScreensTest, KeysAreShownByName) {
  const std::pair<int, const char*> names[] = {
      {65, "A"},      {68, "D"},      {87, "W"},  {32, "SPACE"},   {13, "RETURN"}, {160, "LSHIFT"},
      {48, "0"},      {27, "ESCAPE"}, {112, "F1"}, {97, "NUM1"},   {188, ","},     {0, "KEY 0"}};
  for (const auto& [code, name] : names) EXPECT_EQ(fe::KeyName(code), name) << code;
}

TEST_F(MenuScreensTest, APickerWaitsForOneKeyAndBindsItAlone) {
  using S = fe::SettingsVars;
  const std::tuple<int, int S::*, int> cases[] = {{210, &S::KeyBindLeft, 'J'},
                                                  {250, &S::KeyBindRight, 39},
                                                  {290, &S::KeyBindUp, 27},  // Escape stays on the screen
                                                  {330, &S::KeyBindSlowMo, 160}};
  for (const auto& [pickerY, binding, key] : cases) {
    fe::ResetSettings();
    S want = fe::Settings;
    want.*binding = key;
    Pixels early, late;
    FrameScript s;
    s.at[5] = [y = pickerY] { Click(110, y); };
    s.at[20] = [&] { early = plat::ReadTargetPixels(); };
    s.at[50] = [&late, k = key] {
      late = plat::ReadTargetPixels();
      if (k == 27) {
        EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("key_prompt")));
      }
      pt::MousePress(1);  // a click while waiting does nothing afterwards
    };
    s.at[60] = [k = key] { pt::KeyTap(k); };
    s.at[70] = [] { Click(700, 535); };  // back
    Run(fe::kStateKeySetup, fe::RunKeySetup, s);
    EXPECT_EQ(early, late) << "nothing moves while the prompt waits";
    EXPECT_EQ(s.flips, 72) << "the captured key did not act on the screen";
    EXPECT_EQ(fe::Game.GameState, fe::kStateOptions);
    for (int S::*m : {&S::KeyBindLeft, &S::KeyBindRight, &S::KeyBindUp, &S::KeyBindDown, &S::KeyBindSlowMo})
      EXPECT_EQ(fe::Settings.*m, want.*m) << key;
  }
}

TEST_F(MenuScreensTest, BindingsReachTheSettingsFileAndPlayAlsoWhenTheWindowClosesMidCapture) {
  FrameScript s;
  s.at[5] = [] { Click(110, 290); };
  s.at[10] = [] { pt::KeyTap('K'); };
  s.at[15] = [] { EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("key_setup"))); };
  s.at[20] = [] { Click(110, 210); };
  s.at[30] = [] { pt::RequestClose(); };  // while left is awaited
  Run(fe::kStateKeySetup, fe::RunKeySetup, s);
  EXPECT_EQ(fe::Game.GameState, fe::kStateQuit);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.QuitRequested, 99);
  std::vector<uint8_t> config;
  ASSERT_TRUE(plat::LoadFileBytes("Data/config.dat", config));
  EXPECT_EQ(vtest::IntAt(config, 8), 'K');
  EXPECT_EQ(vtest::IntAt(config, 12), 83);
  EXPECT_EQ(vtest::IntAt(config, 16), 65);
  for (const auto& [key, held] : {std::pair{'K', 1}, std::pair{'W', 0}}) {
    pt::KeyPress(key);
    play::PollInput(0);
    EXPECT_EQ(play::Input.KeyDownUp, held) << key;
    pt::KeyRelease(key);
  }
}

TEST_F(MenuScreensTest, TheOlderSequenceStoresAllFiveOnlyOnYes) {
  play::LoadLevel(0);
  const int keys[5] = {'I', 'K', 'J', 'L', 'U'};  // up, down, left, right, slow motion
  for (const int answer : {'Y', 'y', 'n'}) {
    fe::ResetSettings();
    // Each wait is answered 10 frames after it starts; the next line and
    // wait follow 2 frames later.
    int given = 0;
    FrameScript s;
    s.every = [&](int64_t f) {
      if (f != 13 + 12 * given) return;
      if (given == 5 && answer == 'y') {
        EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath("configure_keys")));
      }
      given < 5 ? pt::KeyTap(keys[given]) : pt::TypeChar(answer);
      ++given;
    };
    s.Install();
    fe::ConfigureKeys();
    EXPECT_EQ(given, 6);
    const fe::SettingsVars& k = fe::Settings;
    const bool yes = answer != 'n';
    EXPECT_EQ(std::vector({k.KeyBindUp, k.KeyBindDown, k.KeyBindLeft, k.KeyBindRight, k.KeyBindSlowMo}),
              yes ? std::vector<int>(keys, keys + 5) : std::vector({87, 83, 65, 68, 32}));
  }
}

}  // namespace
