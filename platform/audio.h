// Sound effects: WAV sounds played on channels with volume and rate,
// mixed in the audio callback. No audio device means silence.
#pragma once
#include <memory>
#include <string>

namespace plat {

struct Sound;
struct Channel;
using SoundPtr = std::shared_ptr<Sound>;
using ChannelPtr = std::shared_ptr<Channel>;

// Output format of the mix: interleaved stereo floats at this rate.
constexpr int kMixRate = 44100;

SoundPtr LoadSound(const std::string& path, int flags = 0);  // nullptr when missing
ChannelPtr AllocChannel();
// Plays the sound on the channel, cutting what it played before.
void PlaySound(const SoundPtr& sound, const ChannelPtr& channel);
void StopChannel(const ChannelPtr& channel);
bool ChannelPlaying(const ChannelPtr& channel);
void SetChannelVolume(const ChannelPtr& channel, float volume);  // clamped 0..1
// 1 plays at the recorded pitch; 0.5 an octave lower and twice as long.
void SetChannelRate(const ChannelPtr& channel, float rate);      // clamped 0..16
float ChannelVolume(const ChannelPtr& channel);
float ChannelRate(const ChannelPtr& channel);
// Length of a loaded sound in frames at kMixRate (0 for none).
int SoundFrames(const SoundPtr& sound);

// Mixes the next frames of every playing channel into out (2 floats per
// frame), limited to kEffectsCeiling (platform/limiter.h) so overlapping
// effects never clip. The audio callback runs this; tests run it by hand after turning
// the device off, so nothing else consumes the channels meanwhile.
void MixEffects(float* out, int frames);
void SetAudioOutputEnabled(bool enabled);

}  // namespace plat
