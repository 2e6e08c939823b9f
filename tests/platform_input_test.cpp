// Keys, typed characters, mouse, the window's events, the clock and the
// random generator.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <vector>

#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/gfx_internal.h"
#include "platform/headless.h"
#include "platform/input.h"

namespace {

using namespace plat;

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetPlatform();
    test::UseManualClock();
  }
  // Real window events, as SDL delivers them.
  static void PushKey(SDL_Scancode sc, SDL_Keycode key, bool down, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = key;
    e.key.repeat = repeat;
    SDL_PushEvent(&e);
  }
  static void OpenWindow() {
    if (!GraphicsOpen()) {
      SetGraphicsDriver(kDriverSoftware);
      ASSERT_TRUE(Graphics(kScreenW, kScreenH, 0, 60, 0));
    }
    PollSystem();
  }
};

TEST_F(InputTest, LetterboxMapsWindowPointsToTargetPixels) {
  SDL_Rect r = detail::LetterboxRect(1920, 1080, 800, 600);
  EXPECT_EQ(r.x, 240);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.w, 1440);
  EXPECT_EQ(r.h, 1080);
  int x, y;
  detail::WindowToTarget(1920, 1080, 800, 600, 960, 540, x, y);
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 300);
  detail::WindowToTarget(1920, 1080, 800, 600, 240, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  detail::WindowToTarget(1920, 1080, 800, 600, 1679, 1079, x, y);
  EXPECT_EQ(x, 799);
  EXPECT_EQ(y, 599);
  // The bars clamp to the edge.
  detail::WindowToTarget(1920, 1080, 800, 600, 100, 2000, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 599);
  // A tall window: bars above and below.
  r = detail::LetterboxRect(800, 1000, 800, 600);
  EXPECT_EQ(r.y, 200);
  detail::WindowToTarget(800, 1000, 800, 600, 10, 250, x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 50);
}

TEST_F(InputTest, SdlKeysMapToVirtualKeyCodes) {
  struct Case {
    SDL_Scancode sc;
    SDL_Keycode key;
    int vk;
  } cases[] = {
      {SDL_SCANCODE_A, SDLK_a, 65},          {SDL_SCANCODE_Z, SDLK_z, 90},
      {SDL_SCANCODE_Q, SDLK_a, 65},  // a French layout's A key
      {SDL_SCANCODE_F, 0x430, 70},   // a Cyrillic letter: by position
      {SDL_SCANCODE_0, SDLK_0, 48},          {SDL_SCANCODE_9, SDLK_9, 57},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, 13}, {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 13},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27}, {SDL_SCANCODE_SPACE, SDLK_SPACE, 32},
      {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 8}, {SDL_SCANCODE_TAB, SDLK_TAB, 9},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, 37},    {SDL_SCANCODE_UP, SDLK_UP, 38},
      {SDL_SCANCODE_RIGHT, SDLK_RIGHT, 39},  {SDL_SCANCODE_DOWN, SDLK_DOWN, 40},
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 161},
      {SDL_SCANCODE_LCTRL, SDLK_LCTRL, 162}, {SDL_SCANCODE_RALT, SDLK_RALT, 165},
      {SDL_SCANCODE_F1, SDLK_F1, 112},       {SDL_SCANCODE_F12, SDLK_F12, 123},
      {SDL_SCANCODE_KP_0, SDLK_KP_0, 96},    {SDL_SCANCODE_KP_9, SDLK_KP_9, 105},
      {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, 111}, {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 110},
      {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, 186}, {SDL_SCANCODE_SLASH, SDLK_SLASH, 191},
      {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, 192}, {SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE, 222},
      {SDL_SCANCODE_INSERT, SDLK_INSERT, 45}, {SDL_SCANCODE_DELETE, SDLK_DELETE, 46},
      {SDL_SCANCODE_HOME, SDLK_HOME, 36},    {SDL_SCANCODE_END, SDLK_END, 35},
      {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 34},
  };
  for (const Case& c : cases) EXPECT_EQ(detail::VirtualKeyFor(c.sc, c.key), c.vk) << c.sc;
}

TEST_F(InputTest, KeyHitCountsPressesSinceTheLastCall) {
  EXPECT_EQ(KeyHit(65), 0);
  test::KeyPress(65);
  detail::KeyEvent(65, true, true);  // auto-repeat: no new hit
  EXPECT_TRUE(KeyDown(65));
  test::KeyRelease(65);
  test::KeyTap(65);
  EXPECT_FALSE(KeyDown(65));
  EXPECT_EQ(KeyHit(65), 2);
  EXPECT_EQ(KeyHit(65), 0);
  EXPECT_EQ(KeyHit(300), 0);
  EXPECT_EQ(KeyHit(-1), 0);
  EXPECT_FALSE(KeyDown(256));

  // Either shift drives the shared shift code.
  test::KeyPress(vk::LShift);
  test::KeyPress(vk::RShift);
  test::KeyRelease(vk::LShift);
  EXPECT_TRUE(KeyDown(vk::Shift));
  EXPECT_FALSE(KeyDown(vk::LShift));
  test::KeyRelease(vk::RShift);
  EXPECT_FALSE(KeyDown(vk::Shift));
  EXPECT_EQ(KeyHit(vk::Shift), 2);
  test::KeyTap(vk::RControl);
  EXPECT_EQ(KeyHit(vk::Control), 1);

  test::KeyPress(66);
  test::MousePress(1);
  FlushKeys();
  EXPECT_FALSE(KeyDown(66));
  EXPECT_EQ(KeyHit(66), 0);
  EXPECT_EQ(GetChar(), 0);
  EXPECT_TRUE(MouseDown(1));
  FlushMouse();
  EXPECT_FALSE(MouseDown(1));
  EXPECT_EQ(MouseHit(1), 0);
}

TEST_F(InputTest, TypedCharactersQueueInOrder) {
  test::KeyTap(vk::KeyA);
  test::KeyPress(vk::LShift);
  test::KeyTap(vk::KeyA + 1);
  test::KeyRelease(vk::LShift);
  test::KeyTap(vk::Backspace);
  test::KeyTap(vk::Tab);
  test::KeyTap(vk::Enter);
  test::TypeChar(0xE9);
  test::TypeChar(0x263A);  // outside Latin-1: dropped
  test::KeyTap(vk::Left);  // types nothing
  for (int want : {int('a'), int('B'), 8, 9, 13, 0xE9}) EXPECT_EQ(GetChar(), want);
  EXPECT_EQ(GetChar(), 0);
}

TEST_F(InputTest, WindowEventsFeedKeysCharsMouseAndClose) {
  OpenWindow();
  PushKey(SDL_SCANCODE_W, SDLK_w, true);
  PushKey(SDL_SCANCODE_W, SDLK_w, true, true);
  PushKey(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, true);
  PushKey(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, true, true);  // held: deletes again
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  SDL_strlcpy(text.text.text, "w\xC3\xA9\xE2\x98\xBAz", sizeof text.text.text);  // w é ☺ z
  SDL_PushEvent(&text);
  SDL_Event button{};
  button.type = SDL_MOUSEBUTTONDOWN;
  button.button.button = SDL_BUTTON_RIGHT;
  button.button.x = 123;
  button.button.y = 45;
  SDL_PushEvent(&button);
  PollSystem();
  EXPECT_EQ(KeyHit(87), 1);
  EXPECT_TRUE(KeyDown(87));
  for (int want : {8, 8, int('w'), 0xE9, int('z')}) EXPECT_EQ(GetChar(), want);
  EXPECT_EQ(GetChar(), 0);
  EXPECT_EQ(MouseHit(2), 1);
  EXPECT_TRUE(MouseDown(2));
  EXPECT_FALSE(MouseDown(3));
  EXPECT_EQ(MouseX(), 123);
  EXPECT_EQ(MouseY(), 45);

  EXPECT_FALSE(AppTerminate());
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  PollSystem();
  EXPECT_TRUE(AppTerminate());
  EXPECT_EQ(WaitKey(), 0);  // a closed window does not leave it waiting
}

// The window's wheel events and a test's turns add up until read; a read
// or a flush of the mouse starts again from 0.
TEST_F(InputTest, TheWheelCountsNotchesSinceTheLastRead) {
  OpenWindow();
  struct Case {
    const char* what;
    std::vector<int> events, turns;
    bool flush;
    int want;
  } cases[] = {
      {"nothing", {}, {}, false, 0},
      {"one notch up", {1}, {}, false, 1},
      {"down twice", {-1, -1}, {}, false, -2},
      {"a fast turn", {3}, {}, false, 3},
      {"both ways", {2, -1}, {-2}, false, -1},
      {"injected", {}, {4, 1}, false, 5},
      {"flushed", {2}, {1}, true, 0},
  };
  for (const Case& c : cases) {
    for (int y : c.events) {
      SDL_Event wheel{};
      wheel.type = SDL_MOUSEWHEEL;
      wheel.wheel.y = y;
      SDL_PushEvent(&wheel);
    }
    PollSystem();
    for (int n : c.turns) test::TurnWheel(n);
    if (c.flush) FlushMouse();
    EXPECT_EQ(MouseWheel(), c.want) << c.what;
    EXPECT_EQ(MouseWheel(), 0) << c.what;
    EXPECT_EQ(MouseHit(1) + MouseHit(2) + MouseHit(3), 0) << c.what;  // no button
  }
}

TEST_F(InputTest, InjectedMouseIsClampedToTheTarget) {
  test::MouseMove(900, -4);
  EXPECT_EQ(MouseX(), 799);
  EXPECT_EQ(MouseY(), 0);
  test::MousePress(3);
  test::MouseRelease(3);
  test::MousePress(3);
  EXPECT_EQ(MouseHit(3), 2);
  EXPECT_EQ(MouseHit(3), 0);
  EXPECT_EQ(MouseHit(4), 0);
  EXPECT_FALSE(MouseDown(0));
}

TEST_F(InputTest, WaitKeyAndWaitCharRunTheFrameHook) {
  test::SetFrameHook([](int64_t frame) {
    if (frame == 3) test::KeyTap(vk::Escape);
    if (frame == 5) test::TypeChar('q');
  });
  EXPECT_EQ(WaitKey(), vk::Escape);
  EXPECT_EQ(test::FrameCount(), 4);
  EXPECT_EQ(WaitChar(), 'q');
}

TEST_F(InputTest, ManualClockStepsWithEveryFlip) {
  test::UseManualClock(1000);
  int hooked = 0;
  test::SetFrameHook([&](int64_t) { ++hooked; });
  int32_t t0 = Millisecs();
  EXPECT_EQ(t0, 1000);
  std::vector<int> steps;
  for (int i = 0; i < 6; ++i) {
    int32_t before = Millisecs();
    Flip();
    steps.push_back(MillisDiff(Millisecs(), before));
  }
  EXPECT_EQ(steps, (std::vector<int>{16, 17, 17, 16, 17, 17}));
  EXPECT_EQ(hooked, 6);
  EXPECT_EQ(test::FrameCount(), 6);
  Delay(250);  // no sleep: the clock moves
  EXPECT_EQ(Millisecs(), 1350);
  // The counter wraps like a 32-bit value; differences stay right.
  test::SetClock(INT32_MAX);
  test::AdvanceClock(10);
  EXPECT_EQ(MillisDiff(Millisecs(), INT32_MAX), 10);
  test::UseRealClock();
  EXPECT_FALSE(test::ManualClock());
}

TEST_F(InputTest, RandomNumbersAreInclusiveAndRepeatable) {
  SeedRnd(1234);
  EXPECT_EQ(RndSeed(), 1234);
  std::vector<int> first;
  for (int i = 0; i < 20; ++i) first.push_back(Rand(0, 1000000));
  SeedRnd(1234);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Rand(0, 1000000), first[i]);

  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    int v = Rand(3, 1);  // order does not matter
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 3);
    seen.insert(v);
    double d = Rnd(2.0, 5.0);
    ASSERT_GE(d, 2.0);
    ASSERT_LT(d, 5.0);
    double u = Rnd();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    double x = Rnd(10.0);
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 10.0);
  }
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(Rand(7, 7), 7);
  int32_t wide = Rand(INT32_MIN, INT32_MAX);
  (void)wide;
}

}  // namespace
