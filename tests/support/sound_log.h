// Records the sound effects the game asks for while a SoundLog lives.
#pragma once
#include <vector>

namespace vtest {

class SoundLog {
 public:
  SoundLog();
  ~SoundLog();
  SoundLog(const SoundLog&) = delete;
  SoundLog& operator=(const SoundLog&) = delete;

  const std::vector<int>& Ids() const;
  // The ids recorded since the last Take, in order; clears them.
  std::vector<int> Take();
  int Count(int id) const;
};

}  // namespace vtest
