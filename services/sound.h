// Sound effects on their channels, and the music tracks played through the
// external sound library.
#pragma once
#include <cstdint>

#include "platform/audio.h"

namespace fe {

constexpr int kSoundSlots = 38;
constexpr int kNoMusicTrack = 99;

enum SoundId {
  kSfxRopeOut = 1,
  kSfxRopeIn = 2,
  kSfxRopeConnect = 3,
  kSfxGunShot = 4,
  kSfxGunHit = 5,
  kSfxBadColour = 6,
  kSfxColourChange = 7,
  kSfxExitOpen = 8,
  kSfxCoinCollect = 10,
  kSfxRecordTime = 14,
  kSfxTimerReady = 15,
  kSfxTimerGo = 16,
  kSfxLevelEnd = 17,
  kSfxBulletConnect = 18,
  kSfxEnemyDie = 23,
  kSfxNuke = 28,
  kSfxEnemyAppear = 33,
};

// Effects that overlap: ids first..last share the head's sound and take the
// channels first..last in turn.
constexpr int kSoundGroupCount = 5;

struct AudioState {
  plat::SoundPtr SoundTable[kSoundSlots];
  plat::ChannelPtr ChannelTable[kSoundSlots];
  int CurrentMusicTrack = kNoMusicTrack;
  uint32_t MusicHandle = 0;
  uint32_t MusicFrequency = 44100;
  uint32_t MusicChannelVolume = 2000;
  // Whether the library's output is initialised and must be freed before
  // the next track, whatever became of the module.
  bool MusicOutputReady = false;
  int GroupNextChannel[kSoundGroupCount] = {9, 18, 23, 28, 33};
};
extern AudioState Audio;
void ResetAudio();  // tests: fresh state, nothing loaded

// At start-up: the sound table, the channels, the effects and the music
// attribute query.
void LoadSoundEffects();
void PlaySoundEffect(int id);
// Tests: told of every PlaySoundEffect call first (nullptr: nobody).
void SetSoundEffectObserver(void (*observer)(int id));
void RenewSoundChannel(int id);
void SetEffectsVolume(float factor, int firstOnly);
void SetEffectsRate(float rate);
void PlayMusic(int track);
void StopMusic();
void SetMusicAttributes(int frequency, int volumeScale);
void ChangeSoundVolume(float delta);
void ChangeMusicVolume(float delta);
// Module file of a track; "" for any track without one.
const char* MusicTrackFile(int track);

}  // namespace fe
