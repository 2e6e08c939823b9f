// Driving a menu screen frame by frame: actions keyed by flip number, a
// click, pixel reads, and a fixture with the program started in a sandbox.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "support/sandbox.h"

namespace vtest {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};
// Pixel (x, y) of an 800x600 read of the render target.
Rgb PixelAt(const std::vector<uint32_t>& px, int x, int y);

// Actions keyed by flip number (the hook runs at the start of each flip,
// after the frame is drawn; input given there is seen by the next frame).
// Past the limit the script asks for quit and closes the window, so a
// stuck screen or wait cannot hang.
class FrameScript {
 public:
  std::map<int64_t, std::function<void()>> at;
  std::function<void(int64_t)> every;
  int64_t limit = 3000;
  int64_t flips = 0;

  void Install();
  ~FrameScript();
};

// Move there, press and release button 1.
void Click(int x, int y);

// The program started headless in a sandbox with the screens installed,
// the current pack's records and the progress read.
class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::unique_ptr<GameSandbox> sandbox_;
};

}  // namespace vtest
