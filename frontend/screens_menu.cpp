// The splash, the main menu and the credits.
#include "frontend/screens.h"

#include "frontend/dispatcher.h"
#include "frontend/keysetup.h"
#include "frontend/levelselect.h"
#include "frontend/menuframe.h"
#include "frontend/options.h"
#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "services/buttons.h"
#include "services/font.h"
#include "services/input.h"
#include "services/resources.h"
#include "services/sound.h"

namespace fe {

namespace {

enum SplashPhase { kFadeIn = 0, kShow = 1, kFadeOut = 2, kDark = 3, kEnd = 4 };

struct Splash {
  plat::ImagePtr logo;
  float fade = 1.0f;
  int phase = kFadeIn;
  int phaseTime = 0;
  int colourIndex = 0;
  int colourTime = 0;
  bool running = true;

  void Draw() {
    plat::SetAlpha(1.0f);
    TileLevelBack();
    plat::SetColor(0, 0, 0);
    plat::DrawRect(0, 0, 800, 200);
    plat::DrawRect(0, 400, 800, 200);
    const int now = plat::Millisecs();
    if (now > colourTime + 50) {
      colourTime = now;
      if (++colourIndex > 255) colourIndex = 0;
    }
    SetCycleColour(colourIndex);
    plat::DrawImage(logo, 400, 300);
    plat::DrawLine(0, 200, 800, 200);
    plat::DrawLine(0, 400, 800, 400);
  }

  void Step() {
    const int now = plat::Millisecs();
    switch (phase) {
      case kFadeIn:
        fade -= 0.01f;
        if (fade <= 0.0f) Enter(kShow, 0.0f);
        break;
      case kShow:
        if (now > phaseTime + 2000) Enter(kFadeOut, fade);
        break;
      case kFadeOut:
        fade += 0.02f;
        if (fade >= 1.0f) Enter(kDark, 1.0f);
        break;
      case kDark:
        if (now > phaseTime + 1000) phase = kEnd;
        break;
      default:
        running = false;
        break;
    }
    // Space skips to the fade out, from wherever the fade stands.
    if (phase < kFadeOut && plat::KeyHit(plat::vk::Space)) Enter(kFadeOut, fade);
  }

  void Enter(int next, float f) {
    phase = next;
    fade = f;
    phaseTime = plat::Millisecs();
  }

};

struct CreditLine {
  int x, y;
  const char* text;
};
const CreditLine kCredits[] = {
    {200, 100, "Thanks to..."},
    {220, 140, "Ilse Marrow - testing and support"},
    {220, 180, "Tomas Fenwick - the text field"},
    {220, 200, "Aro Lindqvist - the http sender"},
    {220, 220, "Mei Sorensen - the zip module"},
    {200, 260, "Made with..."},
    {220, 300, "Kate and C plus plus - code"},
    {220, 320, "Our own image generator - graphics"},
    {220, 340, "Our own sound generator - effects"},
    {220, 360, "Our own tracker - music"},
    {200, 400, "And of course the generic credits standard"},
    {220, 440, "Thank you for playing!"},
};

}  // namespace

void RunSplash() {
  Splash s;
  s.logo = LoadResourceImage("GFX\\pellawick.png");
  plat::MidHandleImage(s.logo);
  const int now = plat::Millisecs();
  s.phaseTime = now;
  s.colourTime = now;
  PlayMusic(2);
  // Closing the window ends the splash at once and leaves the quit request
  // standing.
  while (s.running && !plat::AppTerminate()) {
    plat::Cls();
    s.Draw();
    s.Step();
    DrawBlackout(s.fade);
    plat::Flip();
  }
  if (Game.GameState != kStateQuit) SetGameState(kStateMainMenu, KeepValue, KeepValue);
}

void RunMainMenu() {
  MenuFrame frame;
  LoadMenuBackdrop();
  frame.Open();
  while (frame.Running()) {
    frame.Begin();
    DrawMenuBackdrop();
    DrawMenuTitle();
    play::TickAnimCounter();
    plat::SetAlpha(1.0f);
    Button::DrawAll();
    // The menu has no keys; reading them drops presses that would
    // otherwise reach the next screen.
    frame.Finish(MenuFrame::kNoEscape);
  }
}

void RunCredits() {
  MenuFrame frame(true);
  plat::ImagePtr mark = LoadResourceImage("GFX/Menu/standard.png");
  LoadMenuBackdrop();
  frame.Open();
  while (frame.Running()) {
    frame.Begin();
    DrawMenuBackdrop();
    play::TickAnimCounter();
    Button::DrawAll();
    DrawMenuTitle();
    for (const CreditLine& l : kCredits) Res.SmallFont->Draw(l.x, l.y, l.text, 0);
    plat::SetAlpha(0.1f);
    plat::DrawImage(mark, 5, 590);
    plat::SetAlpha(1.0f);
    frame.Finish(kStateMainMenu);
  }
}

void InstallScreens() {
  ScreenTable& t = Screens();
  t.RunSplash = RunSplash;
  t.RunMainMenu = RunMainMenu;
  t.RunCredits = RunCredits;
  t.RunLevelSelect = RunLevelSelect;
  t.RunPackLevelSelect = RunPackLevelSelect;
  t.RunOptions = RunOptions;
  t.RunKeySetup = RunKeySetup;
}

}  // namespace fe
