#include "support/sound_log.h"

#include <algorithm>

#include "services/sound.h"

namespace vtest {

namespace {
std::vector<int> g_ids;
void Record(int id) { g_ids.push_back(id); }
}  // namespace

SoundLog::SoundLog() {
  g_ids.clear();
  fe::SetSoundEffectObserver(&Record);
}

SoundLog::~SoundLog() {
  fe::SetSoundEffectObserver(nullptr);
  g_ids.clear();
}

const std::vector<int>& SoundLog::Ids() const { return g_ids; }

std::vector<int> SoundLog::Take() {
  std::vector<int> out;
  out.swap(g_ids);
  return out;
}

int SoundLog::Count(int id) const {
  return static_cast<int>(std::count(g_ids.begin(), g_ids.end(), id));
}

}  // namespace vtest
