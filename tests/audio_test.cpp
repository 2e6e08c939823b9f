// The effect mixer, driven by hand with the device off.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/limiter.h"

namespace {

// A mono 16-bit WAV of a sine, at a rate other than the mixer's.
std::string WriteSineWav(double hz, double seconds, int rate) {
  char path[] = "/tmp/velkor_sine_XXXXXX";
  const int fd = ::mkstemp(path);
  FILE* f = ::fdopen(fd, "wb");
  const int n = static_cast<int>(seconds * rate);
  auto u16 = [&](int v) { std::fputc(v & 0xFF, f), std::fputc((v >> 8) & 0xFF, f); };
  auto u32 = [&](unsigned v) { u16(static_cast<int>(v & 0xFFFF)), u16(static_cast<int>(v >> 16)); };
  std::fwrite("RIFF", 1, 4, f), u32(36 + 2 * n), std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16), u16(1), u16(1), u32(rate), u32(2 * rate), u16(2), u16(16);
  std::fwrite("data", 1, 4, f), u32(2 * n);
  for (int i = 0; i < n; ++i) u16(static_cast<int>(std::lround(12000 * std::sin(2 * M_PI * hz * i / rate))));
  std::fclose(f);
  return path;
}

struct Measure {
  double peak = 0;
  int crossings = 0;
};
Measure Mix(int frames) {
  std::vector<float> buf(2 * static_cast<size_t>(frames));
  plat::MixEffects(buf.data(), frames);
  Measure m;
  for (int i = 0; i < frames; ++i) {
    m.peak = std::max(m.peak, static_cast<double>(std::fabs(buf[2 * i])));
    if (i > 0 && (buf[2 * i - 2] < 0) != (buf[2 * i] < 0)) ++m.crossings;
  }
  return m;
}

class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::SetAudioOutputEnabled(false); }
  void TearDown() override { plat::SetAudioOutputEnabled(true); }
};

TEST_F(AudioTest, ChannelsResampleAtTheirRateAndScaleByVolume) {
  const std::string wav = WriteSineWav(441, 1.0, 22050);
  plat::SoundPtr s = plat::LoadSound(wav);
  std::remove(wav.c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(plat::SoundFrames(s), plat::kMixRate, 50);  // converted to the mix rate
  plat::ChannelPtr ch = plat::AllocChannel();

  plat::PlaySound(s, ch);
  Measure normal = Mix(4410);  // 0.1 s: 44.1 periods, ~88 crossings
  EXPECT_NEAR(normal.crossings, 88, 2);
  EXPECT_NEAR(normal.peak, 12000.0 / 32768, 0.02);

  plat::SetChannelRate(ch, 0.5f);
  plat::SetChannelVolume(ch, 0.5f);
  plat::PlaySound(s, ch);  // restarts from the beginning
  Measure slow = Mix(4410);
  EXPECT_NEAR(slow.crossings, 44, 2);
  EXPECT_NEAR(slow.peak, 0.5 * 12000.0 / 32768, 0.02);

  // At half rate the one-second sound lasts two seconds, then stops.
  Mix(plat::kMixRate * 2 - 4410 - 100);
  EXPECT_TRUE(plat::ChannelPlaying(ch));
  Mix(400);
  EXPECT_FALSE(plat::ChannelPlaying(ch));
  EXPECT_EQ(Mix(1000).peak, 0.0);
}

TEST_F(AudioTest, VolumeAndRateAreClampedAndBadInputIsQuiet) {
  plat::ChannelPtr ch = plat::AllocChannel();
  plat::SetChannelVolume(ch, 1.7f);
  EXPECT_EQ(plat::ChannelVolume(ch), 1.0f);
  plat::SetChannelVolume(ch, -0.2f);
  EXPECT_EQ(plat::ChannelVolume(ch), 0.0f);
  plat::SetChannelVolume(ch, std::nanf(""));
  EXPECT_EQ(plat::ChannelVolume(ch), 0.0f);
  plat::SetChannelRate(ch, 100.0f);
  EXPECT_EQ(plat::ChannelRate(ch), 16.0f);
  EXPECT_EQ(plat::LoadSound("/nonexistent/x.wav"), nullptr);
  char path[] = "/tmp/velkor_bad_XXXXXX";
  FILE* f = ::fdopen(::mkstemp(path), "wb");
  std::fputs("RIFF....WAVEjunk", f);
  std::fclose(f);
  EXPECT_EQ(plat::LoadSound(path), nullptr);
  std::remove(path);
  plat::PlaySound(nullptr, ch);  // an empty slot plays nothing
  EXPECT_FALSE(plat::ChannelPlaying(ch));
}

// A damaged file's chunk sizes are checked against its length before anything
// is allocated for them.
TEST_F(AudioTest, WavChunksLongerThanTheFileAreRefusedAndAnEmptyOneIsSilent) {
  auto wav = [](uint32_t claimed, size_t present) {
    std::string b = "RIFF____WAVEfmt ";
    auto u16 = [&](int v) { b += static_cast<char>(v & 0xFF), b += static_cast<char>(v >> 8); };
    auto u32 = [&](uint32_t v) { u16(static_cast<int>(v & 0xFFFF)), u16(static_cast<int>(v >> 16)); };
    u32(16), u16(1), u16(1), u32(22050), u32(44100), u16(2), u16(16);
    b += "data", u32(claimed), b += std::string(present, '\x10');
    char path[] = "/tmp/velkor_wav_XXXXXX";
    FILE* f = ::fdopen(::mkstemp(path), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return std::string(path);
  };
  const struct {
    uint32_t claimed;
    size_t present;
    bool loads;
    int frames;
  } cases[] = {{0xFFFFFF00u, 16, false, 0}, {17, 16, false, 0}, {0, 0, true, 0}, {16, 16, true, 16}};
  for (const auto& c : cases) {
    const std::string path = wav(c.claimed, c.present);
    plat::SoundPtr s = plat::LoadSound(path);
    std::remove(path.c_str());
    EXPECT_EQ(s != nullptr, c.loads) << c.claimed;
    EXPECT_NEAR(plat::SoundFrames(s), c.frames, 1) << c.claimed;
    plat::ChannelPtr ch = plat::AllocChannel();
    plat::PlaySound(s, ch);
    EXPECT_EQ(Mix(64).peak > 0, c.frames > 0) << c.claimed;
  }
}

// Many loud effects at once are turned down, never cut flat; one quiet
// effect passes as it is.
TEST_F(AudioTest, OverlappingEffectsStayUnderTheCeiling) {
  const std::string wav = WriteSineWav(441, 0.5, 44100);
  plat::SoundPtr s = plat::LoadSound(wav);
  std::remove(wav.c_str());
  std::vector<plat::ChannelPtr> channels;
  for (int i = 0; i < 8; ++i) {
    channels.push_back(plat::AllocChannel());
    plat::SetChannelRate(channels.back(), 1.0f + 0.01f * static_cast<float>(i));
    plat::PlaySound(s, channels.back());
  }
  EXPECT_LE(Mix(8820).peak, plat::kEffectsCeiling + 1e-6);
  Mix(plat::kMixRate);  // all done, and the limiter has recovered
  plat::SetChannelVolume(channels[0], 0.25f);
  plat::PlaySound(s, channels[0]);
  EXPECT_NEAR(Mix(4410).peak, 0.25 * 12000.0 / 32768, 0.01);
}

TEST(AudioDevice, NoAudioDriverMeansSilenceNotFailure) {
  ::setenv("SDL_AUDIODRIVER", "none_such_driver", 1);
  plat::SetAudioOutputEnabled(false);
  plat::SetAudioOutputEnabled(true);  // the next use tries to open again, and fails
  plat::ChannelPtr ch = plat::AllocChannel();
  ASSERT_NE(ch, nullptr);
  plat::SetChannelVolume(ch, 0.5f);
  EXPECT_EQ(plat::ChannelVolume(ch), 0.5f);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
