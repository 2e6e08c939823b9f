// Test control of the platform: injected input, a clock the test steps and
// a hook run at every Flip, so a test can drive any screen frame by frame.
// With SDL_VIDEODRIVER=offscreen both renderers run without an X server.
#pragma once
#include <cstdint>
#include <functional>

namespace plat::test {

// Manual clock: Millisecs() returns what the test sets. When flipStepMs is
// above 0, every Flip() advances the clock by it (fractions carried, so
// 1000/60 gives 16, 17, 17, ...) and Flip() does not sleep.
void UseManualClock(int32_t startMs = 100000, double flipStepMs = 1000.0 / 60.0);
void UseRealClock();
bool ManualClock();
void AdvanceClock(double ms);
void SetClock(int32_t ms);

// Called at the start of every Flip() (and while WaitKey/WaitChar wait);
// the frame counter counts flips and wait passes since the hook was set.
void SetFrameHook(std::function<void(int64_t frame)> hook);
int64_t FrameCount();

void KeyPress(int code);    // down + hit (+ typed char for printable keys)
void KeyRelease(int code);
void KeyTap(int code);      // press and release: a hit, not held afterwards
void KeyRepeat(int code);   // a held key's auto-repeat: its typed char again, no hit
void TypeChar(int ch);
void MouseMove(int x, int y);
void MousePress(int button);
void MouseRelease(int button);
void TurnWheel(int notches);  // positive up (away from the user), negative down
void ReleaseAll();
void RequestClose();        // as if the window's close button was pressed

// Resets drawing state, input, the clock mode and hooks between tests.
void ResetPlatform();

}  // namespace plat::test
