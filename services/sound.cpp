#include "services/sound.h"

#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "services/config.h"
#include "soundlib/binding.h"

namespace fe {

AudioState Audio;

namespace {

using soundlib::Bass;

// The library's own codes.
constexpr soundlib::DWORD kMusicLoop = 4;
constexpr soundlib::DWORD kAttribAmplify = 0;
constexpr soundlib::DWORD kAttribSpeed = 4;
constexpr soundlib::DWORD kAttribGlobalVolume = 5;
constexpr int kPanUnchanged = -1;

// The channel each group starts on is AudioState::GroupNextChannel's
// initial value.
struct SoundGroup {
  int first, last;  // ids and channels; the head's sound is `first`
};
constexpr SoundGroup kGroups[kSoundGroupCount] = {
    {10, 13}, {18, 22}, {23, 27}, {28, 32}, {33, 37}};

struct EffectFile {
  int id;
  const char* file;
};
constexpr EffectFile kEffectFiles[] = {
    {1, "SFX\\rope_out.wav"},        {2, "SFX\\rope_in.wav"},
    {3, "SFX\\rope_connect.wav"},    {4, "SFX\\gun_shot.wav"},
    {5, "SFX\\gun_hit.wav"},         {6, "SFX\\bad_col.wav"},
    {7, "SFX\\Colour_change.wav"},   {8, "SFX\\exit_open.wav"},
    {9, "SFX\\exit_open.wav"},       {10, "SFX\\coin_collect.wav"},
    {14, "SFX\\record_time.wav"},    {15, "SFX\\timer_ready.wav"},
    {16, "SFX\\timer_go.wav"},       {17, "SFX\\level_end.wav"},
    {28, "SFX\\nuke.wav"},           {18, "SFX\\bullet_connect.wav"},
    {23, "SFX\\enemy_die.wav"},      {33, "SFX\\enemy_appear.wav"},
};

float ClampUnit(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

}  // namespace

void ResetAudio() { Audio = AudioState{}; }

const char* MusicTrackFile(int track) {
  switch (track) {
    case 0: return "Music/VELKOR5.xm";
    case 1: return "music/VELKOR1.xm";
    case 2: return "music/VELKOR3.xm";
    case 3: return "music/VELKOR4.xm";
    default: return "";
  }
}

void LoadSoundEffects() {
  for (int i = 0; i < kSoundSlots; ++i) {
    Audio.SoundTable[i] = nullptr;
    Audio.ChannelTable[i] = plat::AllocChannel();
  }
  for (const EffectFile& e : kEffectFiles) Audio.SoundTable[e.id] = plat::LoadSound(e.file, 0);
  Bass.BASS_MusicGetAttribute(0, kAttribSpeed);
  // The stored effect volume holds from the first sound on, not only after
  // the player changes it.
  SetEffectsVolume(1.0f, 0);
}

namespace {
void (*g_soundObserver)(int id) = nullptr;
}  // namespace

void SetSoundEffectObserver(void (*observer)(int id)) { g_soundObserver = observer; }

void PlaySoundEffect(int id) {
  if (g_soundObserver) g_soundObserver(id);
  if (id < 0 || id >= kSoundSlots) return;
  for (int g = 0; g < kSoundGroupCount; ++g) {
    const SoundGroup& group = kGroups[g];
    if (id < group.first || id > group.last) continue;
    int& next = Audio.GroupNextChannel[g];
    plat::PlaySound(Audio.SoundTable[group.first], Audio.ChannelTable[next]);
    if (++next > group.last) next = group.first;
    return;
  }
  plat::PlaySound(Audio.SoundTable[id], Audio.ChannelTable[id]);
}

void RenewSoundChannel(int id) {
  if (id < 0 || id >= kSoundSlots) return;
  plat::StopChannel(Audio.ChannelTable[id]);
  Audio.ChannelTable[id] = plat::AllocChannel();
}

void SetEffectsVolume(float factor, int firstOnly) {
  const float volume = Settings.SfxVolume * factor;  // the channel clamps to 0..1
  const int count = firstOnly != 0 ? 1 : kSoundSlots;
  for (int i = 0; i < count; ++i) plat::SetChannelVolume(Audio.ChannelTable[i], volume);
}

void SetEffectsRate(float rate) {
  for (const plat::ChannelPtr& ch : Audio.ChannelTable) plat::SetChannelRate(ch, rate);
}

void PlayMusic(int track) {
  if (track == Audio.CurrentMusicTrack) return;
  Audio.CurrentMusicTrack = track;
  StopMusic();
  const std::string file = plat::ResolvePath(MusicTrackFile(track));
  if (Bass.BASS_Init(1, 44100, 0, nullptr, nullptr) != 0) {
    Audio.MusicOutputReady = true;
    Audio.MusicHandle = Bass.BASS_MusicLoad(0, file.c_str(), 0, 0, kMusicLoop, 0);
    Bass.BASS_MusicSetAttribute(Audio.MusicHandle, kAttribAmplify, 80);
    SetMusicAttributes(44100, 40);
    Bass.BASS_ChannelPlay(Audio.MusicHandle, 0);
  }
  Bass.BASS_ChannelGetAttributes(Audio.MusicHandle, &Audio.MusicFrequency,
                                 &Audio.MusicChannelVolume, nullptr);
}

void StopMusic() {
  if (Audio.MusicHandle != 0) Bass.BASS_ChannelStop(Audio.MusicHandle);
  // A module that failed to load still leaves the output initialised; it
  // must be freed too, or every later init fails and the music stays off.
  if (Audio.MusicOutputReady) Bass.BASS_Free();
  Audio.MusicOutputReady = false;
  Audio.MusicHandle = 0;
}

void SetMusicAttributes(int frequency, int volumeScale) {
  Bass.BASS_ChannelSetAttributes(Audio.MusicHandle, frequency,
                                 static_cast<int>(Audio.MusicChannelVolume), kPanUnchanged);
  const int globalVolume = static_cast<int>(Settings.MusicVolume * static_cast<float>(volumeScale));
  Bass.BASS_MusicSetAttribute(Audio.MusicHandle, kAttribGlobalVolume,
                              static_cast<soundlib::DWORD>(globalVolume));
}

void ChangeSoundVolume(float delta) {
  Settings.SfxVolume = ClampUnit(Settings.SfxVolume + delta);
  const int id = plat::Rand(1, 37);
  SetEffectsVolume(1.0f, 0);
  PlaySoundEffect(id);
}

void ChangeMusicVolume(float delta) {
  Settings.MusicVolume = ClampUnit(Settings.MusicVolume + delta);
  SetMusicAttributes(44100, 40);
}

}  // namespace fe
