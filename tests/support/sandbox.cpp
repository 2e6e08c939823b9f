#include "support/sandbox.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "editor/editor.h"
#include "editor/packs.h"
#include "frontend/dispatcher.h"
#include "frontend/levelselect.h"
#include "frontend/startup.h"
#include "frontend/upload.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "play/draw.h"
#include "play/playloop.h"
#include "play/replay.h"
#include "play/runstate.h"
#include "play/state.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/sound.h"
#include "zip/zipfile.h"

namespace fs = std::filesystem;

namespace vtest {

std::string MakeTempDir(const std::string& tag) {
  std::string tmpl = (fs::temp_directory_path() / ("velkor-" + tag + "-XXXXXX")).string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  return tmpl;
}

void RemoveTree(const std::string& dir) {
  std::error_code ec;
  fs::remove_all(dir, ec);
}

void ResetAllState() {
  plat::test::ResetPlatform();
  fe::ResetGameFlow();
  fe::ResetScreens();
  fe::ResetSettings();
  fe::ResetRecords();
  fe::ResetStartupGuards();
  fe::ResetButtons();
  fe::ResetLevelSelect();
  fe::ResetAudio();
  fe::ResetUploadDialog();
  play::ResetInput();
  play::ResetLevel();
  play::ResetRun();
  play::ResetSharedLists();
  play::ResetReplay();
  play::ResetPopup();
  // Wired as the start-up wires it, so a test can press any button.
  editor::ResetEditor();
  editor::ResetPackList();
  play::InstallButtonActions();
  editor::InstallTextFieldActions();
  zip::ResetZipUnit();
  play::DropLevelPicture();
  play::UsePaintedPictures(true);
}

bool GLDriverLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    for (const char* part : {"_dri.so", "libgallium", "libLLVM"})
      if (line.find(part) != std::string::npos) return true;
  return false;
}

GameSandbox::GameSandbox(int driver) {
  dir_ = MakeTempDir("game");
  const fs::path game = VELKOR_GAME_DIR;
  // Resources are read-only: link them. Data/ is the game's own to write.
  for (const auto& entry : fs::directory_iterator(game)) {
    const std::string name = entry.path().filename().string();
    if (name == "Data" || name == "velkor") continue;
    fs::create_symlink(entry.path(), fs::path(dir_) / name);
  }
  fs::create_directories(fs::path(dir_) / "Data/Packs/base/Levels");
  fs::create_directories(fs::path(dir_) / "Data/Packs/base/replays");
  WriteConfig(driver);

  ResetAllState();
  oldCwd_ = fs::current_path().string();
  fs::current_path(dir_);
  plat::SetProgramDir(dir_);
  plat::SetProgramArgs({dir_ + "/velkor"});
  plat::SetEndProgramHandler([](int code) { throw ProgramExit{code}; });
  plat::test::UseManualClock();
}

GameSandbox::~GameSandbox() {
  plat::SetEndProgramHandler(nullptr);
  std::error_code ec;
  fs::current_path(oldCwd_, ec);
  ResetAllState();
  if (!std::getenv("VELKOR_KEEP_SANDBOX")) RemoveTree(dir_);
}

int RunProgramToQuit(int everyFrames) {
  plat::test::SetFrameHook([everyFrames](int64_t frame) {
    if (frame % everyFrames != everyFrames - 1) return;
    plat::test::KeyTap(27);
    plat::test::KeyTap(32);
    plat::test::MouseMove(310, 410);
    plat::test::MousePress(1);
    plat::test::MouseRelease(1);
  });
  int code = -1000;
  try {
    fe::StartProgram();
  } catch (const ProgramExit& e) {
    code = e.code;
  }
  plat::test::SetFrameHook(nullptr);
  return code;
}

void GameSandbox::WriteConfig(int driver) {
  const int32_t values[9] = {1000, 1000, 87, 83, 65, 68, 32, 0, driver};
  std::ofstream out(Path("Data/config.dat"), std::ios::binary);
  out.write(reinterpret_cast<const char*>(values), sizeof(values));
}

}  // namespace vtest
