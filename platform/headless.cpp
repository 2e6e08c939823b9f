// Test control: frame hook, injected input and the platform reset.
#include "platform/headless.h"

#include "platform/files.h"
#include "platform/gfx_internal.h"
#include "platform/input.h"

namespace plat {
namespace detail {
namespace {

struct HeadlessState {
  std::function<void(int64_t)> hook;
  int64_t frames = 0;
  bool inHook = false;
};

HeadlessState gHeadless;

}  // namespace

void RunFrameHook() {
  if (gHeadless.hook && !gHeadless.inHook) {
    // A hook that flips (draws a frame itself) must not recurse into itself.
    gHeadless.inHook = true;
    auto hook = gHeadless.hook;  // the hook may replace itself
    hook(gHeadless.frames);
    gHeadless.inHook = false;
  }
  ++gHeadless.frames;
}

void ResetHeadless() { gHeadless = HeadlessState{}; }

}  // namespace detail

namespace test {

void SetFrameHook(std::function<void(int64_t frame)> hook) {
  detail::gHeadless.hook = std::move(hook);
  detail::gHeadless.frames = 0;
}

int64_t FrameCount() { return detail::gHeadless.frames; }

namespace {
void KeyDownEvent(int code, bool repeat) {
  detail::KeyEvent(code, true, repeat);
  int ch = detail::CharForKey(code, KeyDown(vk::Shift));
  if (ch) detail::PushKeyText(ch);
}
}  // namespace

void KeyPress(int code) { KeyDownEvent(code, false); }
void KeyRepeat(int code) { KeyDownEvent(code, true); }

void KeyRelease(int code) { detail::KeyEvent(code, false, false); }

void KeyTap(int code) {
  KeyPress(code);
  KeyRelease(code);
}

void TypeChar(int ch) { detail::PushChar(ch); }

void MouseMove(int x, int y) { detail::MouseMoveTarget(x, y); }
void MousePress(int button) { detail::MouseButtonEvent(button, true); }
void MouseRelease(int button) { detail::MouseButtonEvent(button, false); }
void TurnWheel(int notches) { detail::MouseWheelEvent(notches); }
void ReleaseAll() { detail::ReleaseHeld(); }
void RequestClose() { detail::RequestTerminate(); }

void ResetPlatform() {
  detail::ResetDrawState();
  detail::ResetInput();
  detail::ResetClock();
  detail::ResetHeadless();
  SetReadFaultForTests("");
  SetSafeSaveFaultForTests(0);
}

}  // namespace test
}  // namespace plat
