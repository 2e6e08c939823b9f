// What the player hears at the default volumes: level 2 with three deaths,
// level 2 played to the finish (every coin, the exit opening, the finish),
// then level 31 (gun and rope) to its finish. Effects come from the game's
// own mixer fed frame by frame as the play loop asks for them; the music is
// module 0 rendered by our sound library with the game's settings. The two
// play on separate devices and are summed by the system, so the sum is what
// may clip at the speaker.
//
// Prints peaks, clipped samples and RMS levels (figures, not timings: the
// ratio printed is effects RMS over music RMS in the same run).
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/builtin_levels.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/limiter.h"
#include "platform/system.h"
#include "play/harness.h"
#include "services/config.h"
#include "services/sound.h"
#include "soundlib/binding.h"

namespace fs = std::filesystem;
using soundlib::Bass;

namespace {

constexpr int kFrameSamples = plat::kMixRate / 60;  // one drawn frame

struct Levels {
  double peak = 0, rms = 0, windowMin = 1e9, windowMax = 0;
  long clipped = 0;
};

// RMS over windows of `window` frames; only windows louder than `floor`
// count (an effect is measured while it sounds, not over the silences).
Levels Measure(const std::vector<float>& s, size_t window, double floor) {
  Levels l;
  double sum = 0;
  size_t counted = 0;
  for (size_t w = 0; w + window <= s.size() / 2; w += window) {
    double ws = 0;
    for (size_t i = w; i < w + window; ++i) {
      for (int c = 0; c < 2; ++c) {
        const double v = s[2 * i + c];
        ws += v * v;
        l.peak = std::max(l.peak, std::fabs(v));
        if (std::fabs(v) >= 0.9999) ++l.clipped;
      }
    }
    const double r = std::sqrt(ws / (2.0 * window));
    if (r < floor) continue;
    sum += ws;
    counted += window;
    l.windowMin = std::min(l.windowMin, r);
    l.windowMax = std::max(l.windowMax, r);
  }
  l.rms = counted ? std::sqrt(sum / (2.0 * counted)) : 0;
  return l;
}

play::LevelData BuiltinLevel(int n) {
  std::vector<uint8_t> bytes;
  plat::LoadFileBytes("incbin::" + std::to_string(n) + ".doy", bytes);
  play::LevelData l;
  play::DecodeLevel(bytes, l);
  return l;
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("velkor_sound_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  for (const char* name : {"SFX", "music", "bass.dll"})
    fs::create_symlink(fs::path(VELKOR_GAME_DIR) / name, dir / name);
  fs::current_path(dir);

  plat::SetAudioOutputEnabled(false);  // the mix is pulled below, frame by frame
  assets::RegisterBuiltinLevelFiles();
  soundlib::LoadBassLibrary();
  fe::LoadSoundEffects();

  using RenderFn = soundlib::DWORD (*)(soundlib::DWORD, float*, soundlib::DWORD);
  const auto render = reinterpret_cast<RenderFn>(plat::LibrarySymbol(soundlib::Loader.Library, "VelkorMusicRender"));
  // What the game's music start does, on an output that only decodes.
  Bass.BASS_Init(0, 44100, 0, nullptr, nullptr);
  const soundlib::DWORD music = Bass.BASS_MusicLoad(0, plat::ResolvePath(fe::MusicTrackFile(0)).c_str(), 0, 0, 4, 0);
  Bass.BASS_MusicSetAttribute(music, 0, 80);
  soundlib::DWORD freq = 0, volume = 0;
  Bass.BASS_ChannelGetAttributes(music, &freq, &volume, nullptr);
  Bass.BASS_ChannelSetAttributes(music, 44100, static_cast<int>(volume), -1);
  Bass.BASS_MusicSetAttribute(music, 5, static_cast<soundlib::DWORD>(fe::Settings.MusicVolume * 40));
  if (!render || music == 0) {
    std::fprintf(stderr, "sound_mix_bench: our sound library or module 0 did not load\n");
    return 1;
  }

  std::vector<float> effects, tune;
  plat::PeakLimiter musicLimiter(plat::kMusicCeiling, plat::kMixRate);  // as the library's output does
  play::PlayRunOptions options;
  options.onFrame = [&](int) {
    const size_t at = effects.size();
    effects.resize(at + 2 * kFrameSamples);
    tune.resize(at + 2 * kFrameSamples);
    plat::MixEffects(effects.data() + at, kFrameSamples);
    render(music, tune.data() + at, kFrameSamples);
    musicLimiter.Process(tune.data() + at, kFrameSamples);
    return true;
  };
  const struct {
    int level;
    const char* script;
  } runs[] = {{2, "deaths 2\nlimit 3000\n1 right jump\n"}, {2, nullptr}, {31, nullptr}};
  for (const auto& r : runs) {
    std::string text = r.script ? r.script : "";
    if (!r.script) {
      std::vector<uint8_t> sol;
      plat::LoadFileBytes(std::string(VELKOR_SOURCE_DIR) + "/assets/levels/" + std::to_string(r.level) + ".solution", sol);
      text.assign(sol.begin(), sol.end());
    }
    play::PlayScript script;
    std::string error;
    if (!play::ParsePlayScript(text, script, error)) {
      std::fprintf(stderr, "sound_mix_bench: %s\n", error.c_str());
      return 1;
    }
    options.level = r.level;
    const play::PlayRunResult result = play::RunPlayScript(BuiltinLevel(r.level), script, options);
    std::printf("level %d: %s\n", r.level, play::DescribeRun(result).c_str());
  }

  std::vector<float> sum(effects.size());
  for (size_t i = 0; i < sum.size(); ++i) sum[i] = effects[i] + tune[i];
  const size_t w50 = plat::kMixRate / 20, w1s = plat::kMixRate;
  const Levels e = Measure(effects, w50, 0.01), m = Measure(tune, w1s, 0.0), t = Measure(sum, w50, 0.0);
  std::printf("audio: %.1f s\n", static_cast<double>(effects.size() / 2) / plat::kMixRate);
  std::printf("effects: peak %.3f  clipped %ld  rms while sounding %.3f (50 ms windows %.3f-%.3f)\n",
              e.peak, e.clipped, e.rms, e.windowMin, e.windowMax);
  std::printf("music:   peak %.3f  clipped %ld  rms %.3f (1 s windows %.3f-%.3f)\n", m.peak, m.clipped,
              m.rms, m.windowMin, m.windowMax);
  std::printf("heard:   peak %.3f  clipped %ld\n", t.peak, t.clipped);
  std::printf("effects/music rms ratio: %.2f\n", m.rms > 0 ? e.rms / m.rms : 0.0);

  // Every module on its own, a minute each, before the output's limiter.
  for (int track = 0; track < 4; ++track) {
    const soundlib::DWORD h =
        Bass.BASS_MusicLoad(0, plat::ResolvePath(fe::MusicTrackFile(track)).c_str(), 0, 0, 4, 0);
    Bass.BASS_MusicSetAttribute(h, 0, 80);
    Bass.BASS_ChannelSetAttributes(h, 44100, static_cast<int>(volume), -1);
    Bass.BASS_MusicSetAttribute(h, 5, static_cast<soundlib::DWORD>(fe::Settings.MusicVolume * 40));
    std::vector<float> minute(2 * 60 * plat::kMixRate);
    render(h, minute.data(), 60 * plat::kMixRate);
    const Levels l = Measure(minute, w1s, 0.0);
    std::printf("module %d (%s): peak %.3f  rms %.3f (1 s windows %.3f-%.3f)\n", track,
                fe::MusicTrackFile(track), l.peak, l.rms, l.windowMin, l.windowMax);
  }
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}
