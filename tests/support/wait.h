// Waiting for what another thread or process does. The deadline is what a
// machine busy with other work may need, not what the work usually takes:
// reaching it means the event never came.
#pragma once
#include <chrono>
#include <functional>
#include <thread>

namespace vtest {

inline constexpr std::chrono::seconds kEventDeadline{60};
inline constexpr int kEventDeadlineMs = 60000;  // for poll() and the like

// Asks done() again and again until it holds or the deadline has passed;
// its last answer.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::steady_clock::duration deadline = kEventDeadline) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace vtest
