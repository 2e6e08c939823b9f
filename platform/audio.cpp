// The effect mixer: every playing channel is resampled by linear
// interpolation at its own rate and added into the device's stream. The
// main thread only changes channel fields under the mixer's lock; the
// callback holds the same lock while it mixes.
#include "platform/audio.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files.h"
#include "platform/limiter.h"

namespace plat {

struct Sound {
  std::vector<float> samples;  // interleaved stereo at kMixRate
  size_t frames = 0;
};

struct Channel {
  SoundPtr sound;
  double pos = 0;  // in source frames
  float volume = 1.0f;
  float rate = 1.0f;
  bool playing = false;
};

namespace {

struct Mixer {
  std::mutex lock;
  std::vector<ChannelPtr> playing;
  SDL_AudioDeviceID device = 0;
  bool triedOpen = false;
  bool outputEnabled = true;
  PeakLimiter limiter{kEffectsCeiling, kMixRate};
};

// Never destroyed: the audio thread may still run while the process exits.
Mixer& M() {
  static Mixer* mixer = new Mixer;
  return *mixer;
}

void AudioCallback(void*, Uint8* stream, int len) {
  MixEffects(reinterpret_cast<float*>(stream), len / static_cast<int>(2 * sizeof(float)));
}

// Opens the device on first need. Any failure (no driver, no sound card)
// leaves the mixer silent; the game goes on.
void EnsureDevice() {
  Mixer& m = M();
  if (m.triedOpen || !m.outputEnabled) return;
  m.triedOpen = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  SDL_AudioSpec want{};
  want.freq = kMixRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 512;
  want.callback = AudioCallback;
  SDL_AudioSpec have{};
  m.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (m.device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  SDL_PauseAudioDevice(m.device, 0);
}

// Adds one channel's next frames into out; false once its sound has ended.
bool MixChannel(Channel& ch, float* out, int frames) {
  const Sound& s = *ch.sound;
  const float* src = s.samples.data();
  const double last = static_cast<double>(s.frames) - 1.0;
  for (int i = 0; i < frames; ++i) {
    if (ch.pos > last) return false;
    const size_t a = static_cast<size_t>(ch.pos);
    const size_t b = std::min(a + 1, s.frames - 1);
    const float f = static_cast<float>(ch.pos - static_cast<double>(a));
    out[2 * i] += ch.volume * (src[2 * a] + (src[2 * b] - src[2 * a]) * f);
    out[2 * i + 1] += ch.volume * (src[2 * a + 1] + (src[2 * b + 1] - src[2 * a + 1]) * f);
    ch.pos += ch.rate;
  }
  return ch.pos <= last;
}

}  // namespace

void MixEffects(float* out, int frames) {
  std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
  Mixer& m = M();
  std::lock_guard<std::mutex> guard(m.lock);
  auto& list = m.playing;
  for (size_t i = 0; i < list.size();) {
    Channel& ch = *list[i];
    if (ch.playing && ch.sound && ch.sound->frames > 0 && MixChannel(ch, out, frames)) {
      ++i;
    } else {
      ch.playing = false;
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  m.limiter.Process(out, frames);
}

void SetAudioOutputEnabled(bool enabled) {
  Mixer& m = M();
  m.outputEnabled = enabled;
  m.limiter.Reset();
  if (!enabled && m.device != 0) {
    SDL_CloseAudioDevice(m.device);  // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m.device = 0;
  }
  m.triedOpen = false;
}

namespace {

constexpr int64_t kMaxSoundFileBytes = int64_t{64} << 20;

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Walks the RIFF chunks before SDL parses them: SDL allocates whatever a
// chunk claims, so a 60-byte file could ask for 4 GiB. False when a chunk
// runs past the end of the file or the format or data chunk is missing;
// dataBytes is the data chunk's length.
bool WavChunksFit(const std::vector<uint8_t>& b, uint32_t& dataBytes) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return false;
  bool fmt = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t len = U32At(b, at + 4);
    if (len > b.size() - at - 8) return false;
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0) fmt = true;
    if (std::memcmp(b.data() + at, "data", 4) == 0) {
      dataBytes = len;
      return fmt;
    }
    at += 8 + static_cast<size_t>(len) + (len & 1);
  }
  return false;
}

}  // namespace

SoundPtr LoadSound(const std::string& path, int) {
  std::vector<uint8_t> file;
  uint32_t dataBytes = 0;
  if (!LoadFileBytes(path, file, kMaxSoundFileBytes) || !WavChunksFit(file, dataBytes)) return nullptr;
  if (dataBytes == 0) return std::make_shared<Sound>();  // silent, but a sound
  SDL_AudioSpec spec{};
  Uint8* buf = nullptr;
  Uint32 len = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
  if (!rw || !SDL_LoadWAV_RW(rw, 1, &spec, &buf, &len)) return nullptr;
  if (!buf || len == 0) {
    SDL_FreeWAV(buf);
    return std::make_shared<Sound>();
  }
  SDL_AudioCVT cvt{};
  if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, 2, kMixRate) < 0) {
    SDL_FreeWAV(buf);
    return nullptr;
  }
  std::vector<Uint8> work(static_cast<size_t>(len) * static_cast<size_t>(std::max(cvt.len_mult, 1)));
  std::memcpy(work.data(), buf, len);
  SDL_FreeWAV(buf);
  cvt.buf = work.data();
  cvt.len = static_cast<int>(len);
  if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return nullptr;
  const size_t bytes = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : len;
  auto sound = std::make_shared<Sound>();
  sound->frames = bytes / (2 * sizeof(float));
  sound->samples.resize(sound->frames * 2);
  std::memcpy(sound->samples.data(), work.data(), sound->frames * 2 * sizeof(float));
  return sound;
}

int SoundFrames(const SoundPtr& sound) { return sound ? static_cast<int>(sound->frames) : 0; }

ChannelPtr AllocChannel() {
  EnsureDevice();
  return std::make_shared<Channel>();
}

void PlaySound(const SoundPtr& sound, const ChannelPtr& channel) {
  if (!channel) return;
  EnsureDevice();
  Mixer& m = M();
  std::lock_guard<std::mutex> guard(m.lock);
  channel->sound = sound;
  channel->pos = 0;
  channel->playing = sound != nullptr;
  if (channel->playing && std::find(m.playing.begin(), m.playing.end(), channel) == m.playing.end())
    m.playing.push_back(channel);
}

void StopChannel(const ChannelPtr& channel) {
  if (!channel) return;
  std::lock_guard<std::mutex> guard(M().lock);
  channel->playing = false;
}

bool ChannelPlaying(const ChannelPtr& channel) {
  if (!channel) return false;
  std::lock_guard<std::mutex> guard(M().lock);
  return channel->playing;
}

void SetChannelVolume(const ChannelPtr& channel, float volume) {
  if (!channel) return;
  if (!(volume >= 0.0f)) volume = 0.0f;  // NaN too
  std::lock_guard<std::mutex> guard(M().lock);
  channel->volume = std::min(volume, 1.0f);
}

void SetChannelRate(const ChannelPtr& channel, float rate) {
  if (!channel) return;
  if (!(rate >= 0.0f)) rate = 0.0f;
  std::lock_guard<std::mutex> guard(M().lock);
  channel->rate = std::min(rate, 16.0f);
}

float ChannelVolume(const ChannelPtr& channel) {
  if (!channel) return 0.0f;
  std::lock_guard<std::mutex> guard(M().lock);
  return channel->volume;
}

float ChannelRate(const ChannelPtr& channel) {
  if (!channel) return 0.0f;
  std::lock_guard<std::mutex> guard(M().lock);
  return channel->rate;
}

}  // namespace plat
