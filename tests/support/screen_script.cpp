#include "support/screen_script.h"

#include "frontend/screens.h"
#include "frontend/startup.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/runstate.h"
#include "services/config.h"
#include "services/gamestate.h"

namespace vtest {

namespace pt = plat::test;

Rgb PixelAt(const std::vector<uint32_t>& px, int x, int y) {
  const uint32_t p = px[static_cast<size_t>(y) * plat::kScreenW + x];
  return {static_cast<int>(p & 255), static_cast<int>((p >> 8) & 255), static_cast<int>((p >> 16) & 255)};
}

void FrameScript::Install() {
  pt::SetFrameHook([this](int64_t f) {
    flips = f + 1;
    if (every) every(f);
    auto it = at.find(f);
    if (it != at.end()) it->second();
    if (f < limit) return;
    // Closing the window also ends a wait for a key.
    fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue);
    pt::RequestClose();
  });
}

FrameScript::~FrameScript() { pt::SetFrameHook(nullptr); }

void Click(int x, int y) {
  pt::MouseMove(x, y);
  pt::MousePress(1);
  pt::MouseRelease(1);
}

void ScreenTest::SetUp() {
  sandbox_ = std::make_unique<GameSandbox>(2);
  fe::StartUp();
  fe::InstallScreens();
  fe::LoadRecords();
  fe::LoadStatus();
  play::Run.LastPlayedLevel = 0;
}

void ScreenTest::TearDown() {
  pt::SetFrameHook(nullptr);
  sandbox_.reset();
}

}  // namespace vtest
