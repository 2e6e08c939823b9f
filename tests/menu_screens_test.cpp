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
#include "platform/gfx.h"
#include "platform/headless.h"
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

TEST_F(MenuScreensTest, Shots) {
  UsePack("my_very_long_pack_name_indeed");
  WriteLevel(3, true);
  WriteLevel(7, true);
  play::Run.LastPlayedLevel = 3;
  FrameScript s;
  s.at[60] = [] { pt::MouseMove(600, 300); };
  s.at[62] = [] { plat::SaveScreenshot("/tmp/scr/pack.png"); pt::KeyTap(27); };
  Run(fe::kStatePackLevelSelect, PackSelect, s);
  FrameScript o;
  fe::Settings.SfxVolume = 0.5f;
  o.at[60] = [] { plat::SaveScreenshot("/tmp/scr/options.png"); pt::KeyTap(27); };
  Run(fe::kStateOptions, fe::RunOptions, o);
  FrameScript k;
  k.at[60] = [] { plat::SaveScreenshot("/tmp/scr/keys.png"); Click(110, 290); };
  k.at[70] = [] { plat::SaveScreenshot("/tmp/scr/prompt.png"); pt::KeyTap(13); };
  k.at[80] = [] { plat::SaveScreenshot("/tmp/scr/keys2.png"); pt::KeyTap(27); };
  Run(fe::kStateKeySetup, fe::RunKeySetup, k);
}

}  // namespace
