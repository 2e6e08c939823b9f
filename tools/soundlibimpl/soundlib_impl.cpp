// Our sound library. Loaded by the game through its binding; exports the
// entry points the game calls and leaves the rest absent.
//
// Music is decoded by libopenmpt and mixed in the callback of this
// library's own SDL audio device (SDL keeps it apart from the effect
// mixer's device). Frequency is relative to the output rate: 22050 on a
// 44100 output plays at half tempo and an octave down. The final gain is
// amplification / 50 x channel volume / 100 x global volume / 40.
#include <SDL.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/limiter.h"
#include "soundlib/entries.h"

using namespace soundlib;
VELKOR_BASS_DECLARE_EXPORTS()

// Tests render a module by hand through this, and wait on the next for the
// device to have played some of one (not among the game's names).
extern "C" __attribute__((visibility("default"))) DWORD VelkorMusicRender(HMUSIC handle, float* out,
                                                                          DWORD frames);
extern "C" __attribute__((visibility("default"))) double VelkorMusicSeconds(HMUSIC handle);

namespace {

constexpr DWORD kError = 0xFFFFFFFFu;
constexpr DWORD kFlagLoop = 4;
constexpr DWORD kAttribAmplify = 0;
constexpr DWORD kAttribSpeed = 4;
constexpr DWORD kAttribGlobalVolume = 5;
constexpr DWORD kMaxGlobalVolume = 40;
constexpr int kOutputRate = 44100;

enum ErrorCode { kOk = 0, kErrFileOpen = 2, kErrHandle = 5, kErrInit = 8, kErrAlready = 14,
                 kErrIllParam = 20, kErrDevice = 23, kErrFileForm = 41 };

struct Music {
  openmpt_module* mod = nullptr;
  bool playing = false;
  bool ended = false;
  int freq = kOutputRate;
  int volume = 100;
  DWORD amplify = 50;
  DWORD globalVolume = kMaxGlobalVolume;
  ~Music() { openmpt_module_destroy(mod); }
  float Gain() const {
    return static_cast<float>(amplify) / 50.0f * static_cast<float>(volume) / 100.0f *
           static_cast<float>(globalVolume) / static_cast<float>(kMaxGlobalVolume);
  }
};

struct Library {
  std::mutex lock;  // guards everything below; the callback takes it too
  bool initialised = false;
  SDL_AudioDeviceID device = 0;
  int outputRate = kOutputRate;
  std::map<DWORD, std::unique_ptr<Music>> musics;
  DWORD nextHandle = 1;
  int error = kOk;
  std::vector<float> scratch;
  plat::PeakLimiter limiter{plat::kMusicCeiling, kOutputRate};
};

// Never destroyed: the device's thread may still be mixing while the
// process exits, and the game does not free the output before it ends.
Library& L() {
  static Library* lib = new Library;
  return *lib;
}

BOOL Fail(int code) {
  L().error = code;
  return 0;
}

Music* Find(DWORD handle) {
  auto it = L().musics.find(handle);
  return it == L().musics.end() ? nullptr : it->second.get();
}

// Adds frames of one module into out (stereo). Returns the frames the
// module gave; fewer than asked means a module without loop has ended.
size_t RenderInto(Music& m, float* out, size_t frames, bool add) {
  std::vector<float>& tmp = L().scratch;
  tmp.assign(frames * 2, 0.0f);
  size_t got = openmpt_module_read_interleaved_float_stereo(m.mod, L().outputRate, frames, tmp.data());
  const float gain = m.Gain();
  for (size_t i = 0; i < frames * 2; ++i) out[i] = (add ? out[i] : 0.0f) + tmp[i] * gain;
  if (got < frames) m.ended = true;
  return got;
}

void Callback(void*, Uint8* stream, int len) {
  float* out = reinterpret_cast<float*>(stream);
  const size_t frames = static_cast<size_t>(len) / (2 * sizeof(float));
  std::fill(out, out + frames * 2, 0.0f);
  std::lock_guard<std::mutex> guard(L().lock);
  for (auto& entry : L().musics) {
    Music& m = *entry.second;
    if (!m.playing || m.ended) continue;
    RenderInto(m, out, frames, true);
  }
  L().limiter.Process(out, static_cast<int>(frames));
}

void ApplyFrequency(Music& m) {
  const double ratio = std::clamp(static_cast<double>(m.freq) / L().outputRate, 1.0 / 16.0, 4.0);
  openmpt_module_ctl_set_floatingpoint(m.mod, "play.tempo_factor", ratio);
  openmpt_module_ctl_set_floatingpoint(m.mod, "play.pitch_factor", ratio);
}

bool ReadWholeFile(const char* path, DWORD offset, DWORD length, std::vector<char>& data) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0;
  char buf[65536];
  size_t n;
  while (ok && (n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  std::fclose(f);
  if (length != 0 && data.size() > length) data.resize(length);
  return ok;
}

}  // namespace

int BASS_ErrorGetCode() { return L().error; }

// device 0 initialises without any output (decoding only); any other
// number opens the system's default output.
BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) {
  Library& lib = L();
  {
    std::lock_guard<std::mutex> guard(lib.lock);
    if (lib.initialised) return Fail(kErrAlready);
  }
  SDL_AudioDeviceID dev = 0;
  if (device != 0) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(kErrDevice);
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = Callback;
    SDL_AudioSpec have{};
    dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (dev == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return Fail(kErrDevice);
    }
  }
  std::lock_guard<std::mutex> guard(lib.lock);
  lib.initialised = true;
  lib.device = dev;
  lib.error = kOk;
  if (dev != 0) SDL_PauseAudioDevice(dev, 0);
  (void)freq;  // the output always runs at kOutputRate; SDL converts
  return 1;
}

BOOL BASS_Free() {
  Library& lib = L();
  SDL_AudioDeviceID dev;
  {
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.initialised) return Fail(kErrInit);
    dev = lib.device;
    lib.device = 0;
  }
  // Closing waits for the callback, which takes the lock: not under it.
  if (dev != 0) {
    SDL_CloseAudioDevice(dev);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  std::lock_guard<std::mutex> guard(lib.lock);
  lib.musics.clear();
  lib.initialised = false;
  lib.error = kOk;
  return 1;
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags, DWORD) {
  Library& lib = L();
  std::lock_guard<std::mutex> guard(lib.lock);
  if (!lib.initialised) return Fail(kErrInit);
  if (!file) return Fail(kErrIllParam);
  std::vector<char> data;
  if (mem) {
    if (length == 0) return Fail(kErrIllParam);
    const char* p = static_cast<const char*>(file) + offset;
    data.assign(p, p + length);
  } else if (!ReadWholeFile(static_cast<const char*>(file), offset, length, data)) {
    return Fail(kErrFileOpen);
  }
  openmpt_module* mod = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent,
                                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (!mod) return Fail(kErrFileForm);
  openmpt_module_set_repeat_count(mod, (flags & kFlagLoop) ? -1 : 0);
  auto music = std::make_unique<Music>();
  music->mod = mod;
  ApplyFrequency(*music);
  const DWORD handle = lib.nextHandle++;
  if (lib.nextHandle == 0) lib.nextHandle = 1;
  lib.musics[handle] = std::move(music);
  lib.error = kOk;
  return handle;
}

void BASS_MusicFree(HMUSIC handle) {
  std::lock_guard<std::mutex> guard(L().lock);
  L().musics.erase(handle);
}

DWORD BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m) return Fail(kErrHandle), kError;
  DWORD old;
  switch (attrib) {
    case kAttribAmplify:
      old = m->amplify;
      m->amplify = std::min<DWORD>(value, 100);
      return old;
    case kAttribGlobalVolume:
      old = m->globalVolume;
      m->globalVolume = std::min<DWORD>(value, kMaxGlobalVolume);
      return old;
    default:
      return Fail(kErrIllParam), kError;
  }
}

DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m) return Fail(kErrHandle), kError;
  switch (attrib) {
    case kAttribAmplify: return m->amplify;
    case kAttribSpeed: return static_cast<DWORD>(openmpt_module_get_current_speed(m->mod));
    case kAttribGlobalVolume: return m->globalVolume;
    default: return Fail(kErrIllParam), kError;
  }
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m) return Fail(kErrHandle);
  if (restart || m->ended) {
    openmpt_module_set_position_seconds(m->mod, 0.0);
    m->ended = false;
  }
  m->playing = true;
  return 1;
}

BOOL BASS_ChannelStop(DWORD handle) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m) return Fail(kErrHandle);
  m->playing = false;
  return 1;
}

// freq: 0 the output rate, -1 unchanged; volume 0..100 or -1; pan ignored.
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m) return Fail(kErrHandle);
  if (freq >= 0) {
    m->freq = freq == 0 ? L().outputRate : freq;
    ApplyFrequency(*m);
  }
  if (volume >= 0) m->volume = std::min(volume, 100);
  return 1;
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m) return Fail(kErrHandle);
  if (freq) *freq = static_cast<DWORD>(m->freq);
  if (volume) *volume = static_cast<DWORD>(m->volume);
  if (pan) *pan = 0;
  return 1;
}

DWORD VelkorMusicRender(HMUSIC handle, float* out, DWORD frames) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  if (!m || !out) return 0;
  return static_cast<DWORD>(RenderInto(*m, out, frames, false));
}

double VelkorMusicSeconds(HMUSIC handle) {
  std::lock_guard<std::mutex> guard(L().lock);
  Music* m = Find(handle);
  return m ? openmpt_module_get_position_seconds(m->mod) : -1.0;
}
