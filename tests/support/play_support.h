// Small levels built in a test, and a clean play state between tests.
#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "play/harness.h"
#include "services/levelfile.h"

namespace vtest {

// Every play subsystem's program-wide state back to its start values.
void ResetPlayState();

// A test that starts and ends with fresh program and play state and a
// manual clock that only moves when a run moves it.
class FreshPlayTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// A cleared level with every control allowed and no objects.
play::LevelData BlankLevel();
// Sets the tile code of every cell in columns x0..x1, rows y0..y1.
void FillTiles(play::LevelData& level, int x0, int y0, int x1, int y1, int code);
void PutObject(play::LevelData& level, int x, int y, int code);
// Parses a harness script; a parse error fails the calling test.
play::PlayScript Script(const std::string& text);

// The per-step sample a run recorded at `step` (anything with a `step`
// member); a missing step fails the calling test and gives the first one.
template <class Sample>
const Sample& SampleAt(const std::vector<Sample>& samples, int step) {
  for (const Sample& s : samples)
    if (s.step == step) return s;
  ADD_FAILURE() << "no sample at step " << step;
  return samples.front();
}

}  // namespace vtest
