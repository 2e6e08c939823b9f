// Effects and music through the binding, against a stand-in library that
// records every call it gets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/system.h"
#include "services/config.h"
#include "services/sound.h"
#include "soundlib/binding.h"

namespace fs = std::filesystem;

namespace {

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedProgramDir_ = plat::ProgramDir();
    savedCwd_ = plat::CurrentDir();
    plat::ChangeDir(VELKOR_GAME_DIR);  // effects load from SFX/ here
    plat::SetAudioOutputEnabled(false);  // channels keep playing until mixed by hand
    UseLibrary("libvelkor_bass_recorder.so");
  }
  void TearDown() override {
    soundlib::ResetBinding();
    plat::SetProgramDir(savedProgramDir_);
    plat::ChangeDir(savedCwd_);
    plat::SetAudioOutputEnabled(true);
    fs::remove_all(dir_);
  }

  // Puts the stand-in into a fresh folder as the library file and binds it.
  void UseLibrary(const std::string& stub) {
    soundlib::ResetBinding();
    if (!dir_.empty()) fs::remove_all(dir_);
    char pattern[] = "/tmp/velkor_sound_XXXXXX";
    dir_ = ::mkdtemp(pattern);
    fs::copy_file(std::string(VELKOR_BINARY_DIR) + "/tests/stubs/" + stub, dir_ + "/bass.dll");
    plat::SetProgramDir(dir_);
    soundlib::LoadBassLibrary();
    fe::ResetAudio();
    fe::Settings.MusicVolume = 1.0f;
    fe::Settings.SfxVolume = 1.0f;
  }

  std::vector<std::string> TakeLog() {
    auto log = reinterpret_cast<const char* (*)()>(plat::LibrarySymbol(soundlib::Loader.Library, "RecorderLog"));
    auto clear = reinterpret_cast<void (*)()>(plat::LibrarySymbol(soundlib::Loader.Library, "RecorderClear"));
    std::vector<std::string> lines;
    std::istringstream in(log());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    clear();
    return lines;
  }
  void FailLoads(bool fail) {
    reinterpret_cast<void (*)(int)>(plat::LibrarySymbol(soundlib::Loader.Library, "RecorderFailLoads"))(fail);
  }

  // The channel an effect went to: the one that plays after all were stopped.
  int ChannelOf(int id) {
    for (const auto& ch : fe::Audio.ChannelTable) plat::StopChannel(ch);
    fe::PlaySoundEffect(id);
    int found = -1;
    for (int i = 0; i < fe::kSoundSlots; ++i)
      if (plat::ChannelPlaying(fe::Audio.ChannelTable[i])) found = found == -1 ? i : -2;
    return found;
  }

  std::string dir_, savedProgramDir_, savedCwd_;
};

using Log = std::vector<std::string>;

TEST_F(SoundTest, BindingFillsEverySlotOnceAndKeepsItsHelpers) {
  EXPECT_NE(soundlib::Loader.Library, nullptr);
  EXPECT_EQ(soundlib::Loader.OnceWords[0], 0xFFFFFFFFu);
  EXPECT_EQ(soundlib::Loader.OnceWords[1], 0xFFFFFFFFu);
  EXPECT_EQ(soundlib::Loader.OnceWords[2], 0x07FFFFFFu);  // 91 slots
  auto init = soundlib::Bass.BASS_Init;
  void* lib = soundlib::Loader.Library;
  soundlib::LoadBassLibrary();  // a second start changes nothing
  EXPECT_EQ(soundlib::Bass.BASS_Init, init);
  EXPECT_EQ(soundlib::Loader.Library, lib);
  // Names the library lacks hold the stub, not null.
  EXPECT_NE(soundlib::Bass.BASS_GetEAXParameters, nullptr);

  EXPECT_EQ(soundlib::GetHighWord(65539), 1u);
  EXPECT_EQ(soundlib::GetLowWord(65539), 3u);
  const uint8_t bytes[] = {' ', 'a', 'b', ' ', 0, 0, ' ', 0, 'c', 0};
  EXPECT_EQ(soundlib::SplitZeroSeparatedStrings(bytes, sizeof bytes), (std::vector<std::string>{"ab", "c"}));
  std::vector<uint8_t> big(200, 'x');
  EXPECT_EQ(soundlib::SplitZeroSeparatedStrings(big.data(), big.size())[0].size(), 128u);
}

TEST_F(SoundTest, TrackChangeCallSequence) {
  fe::PlayMusic(1);
  EXPECT_EQ(TakeLog(), (Log{"Init(1,44100,0,0,0)=1", "MusicLoad(0,music/VELKOR1.xm,0,0,4,0)=7",
                            "MusicSetAttribute(7,0,80)", "ChannelSetAttributes(7,44100,2000,-1)",
                            "MusicSetAttribute(7,5,40)", "ChannelPlay(7,0)", "ChannelGetAttributes(7,1,1,0)"}));
  EXPECT_EQ(fe::Audio.MusicChannelVolume, 100u);  // read back from the library
  fe::PlayMusic(0);
  EXPECT_EQ(TakeLog(), (Log{"ChannelStop(7)", "Free()", "Init(1,44100,0,0,0)=1",
                            "MusicLoad(0,music/VELKOR5.xm,0,0,4,0)=8", "MusicSetAttribute(8,0,80)",
                            "ChannelSetAttributes(8,44100,100,-1)", "MusicSetAttribute(8,5,40)",
                            "ChannelPlay(8,0)", "ChannelGetAttributes(8,1,1,0)"}));
  // The current track again: nothing at all, the music keeps its place.
  fe::PlayMusic(0);
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(fe::Audio.CurrentMusicTrack, 0);
}

TEST_F(SoundTest, SlowMotionAndMusicVolume) {
  fe::Settings.MusicVolume = 0.5f;
  fe::PlayMusic(2);
  TakeLog();
  const float r = 0.5f;
  fe::SetMusicAttributes(static_cast<int>(44100 * r), static_cast<int>(40 * r));
  EXPECT_EQ(TakeLog(), (Log{"ChannelSetAttributes(7,22050,100,-1)", "MusicSetAttribute(7,5,10)"}));
  fe::SetMusicAttributes(44100, 40);
  EXPECT_EQ(TakeLog(), (Log{"ChannelSetAttributes(7,44100,100,-1)", "MusicSetAttribute(7,5,20)"}));
  fe::Settings.MusicVolume = 0.95f;
  fe::ChangeMusicVolume(0.1f);
  EXPECT_EQ(fe::Settings.MusicVolume, 1.0f);
  EXPECT_EQ(TakeLog().back(), "MusicSetAttribute(7,5,40)");
  fe::Settings.MusicVolume = 0.05f;
  fe::ChangeMusicVolume(-0.1f);
  EXPECT_EQ(fe::Settings.MusicVolume, 0.0f);
  EXPECT_EQ(TakeLog().back(), "MusicSetAttribute(7,5,0)");
}

TEST_F(SoundTest, ModuleThatFailsToLoadStillReleasesTheOutput) {
  FailLoads(true);
  fe::PlayMusic(1);
  EXPECT_EQ(fe::Audio.MusicHandle, 0u);
  FailLoads(false);
  TakeLog();
  fe::PlayMusic(3);
  const Log log = TakeLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "Free()");  // no stop: there was no handle
  EXPECT_EQ(log[1], "Init(1,44100,0,0,0)=1");
  EXPECT_NE(fe::Audio.MusicHandle, 0u);
}

TEST_F(SoundTest, StartUpLoadsEffectsQueriesTheLibraryAndAppliesTheStoredVolume) {
  fe::Settings.SfxVolume = 0.3f;
  fe::LoadSoundEffects();
  EXPECT_EQ(TakeLog(), (Log{"MusicGetAttribute(0,4)"}));
  for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 23, 28, 33})
    EXPECT_NE(fe::Audio.SoundTable[id], nullptr) << id;
  for (int id : {0, 11, 12, 13, 19, 22, 24, 27, 29, 32, 34, 37}) EXPECT_EQ(fe::Audio.SoundTable[id], nullptr) << id;
  for (const auto& ch : fe::Audio.ChannelTable) EXPECT_FLOAT_EQ(plat::ChannelVolume(ch), 0.3f);
  fe::SetEffectsRate(0.5f);
  for (const auto& ch : fe::Audio.ChannelTable) EXPECT_FLOAT_EQ(plat::ChannelRate(ch), 0.5f);
  // Play's per-frame call reaches channel 0 only, clamped to 1.
  fe::SetEffectsVolume(1.0f + 0.5f / 2, 1);
  EXPECT_FLOAT_EQ(plat::ChannelVolume(fe::Audio.ChannelTable[0]), 0.375f);
  fe::Settings.SfxVolume = 1.0f;
  fe::SetEffectsVolume(1.25f, 1);
  EXPECT_FLOAT_EQ(plat::ChannelVolume(fe::Audio.ChannelTable[0]), 1.0f);
  EXPECT_FLOAT_EQ(plat::ChannelVolume(fe::Audio.ChannelTable[1]), 0.3f);
}

TEST_F(SoundTest, GroupedEffectsTakeTheirChannelsInTurn) {
  fe::LoadSoundEffects();
  std::vector<int> coins;
  for (int i = 0; i < 6; ++i) coins.push_back(ChannelOf(fe::kSfxCoinCollect));
  EXPECT_EQ(coins, (std::vector<int>{9, 10, 11, 12, 13, 10}));
  // Any id of the group plays the head's sound on the group's next channel.
  EXPECT_EQ(ChannelOf(12), 11);
  std::vector<int> bullets;
  for (int i = 0; i < 6; ++i) bullets.push_back(ChannelOf(fe::kSfxBulletConnect));
  EXPECT_EQ(bullets, (std::vector<int>{18, 19, 20, 21, 22, 18}));
  // Ungrouped effects keep their own channel, so a repeat cuts the last.
  EXPECT_EQ(ChannelOf(fe::kSfxGunShot), 4);
  EXPECT_EQ(ChannelOf(fe::kSfxGunShot), 4);
  EXPECT_EQ(ChannelOf(99), -1);
}

TEST_F(SoundTest, EffectVolumeStepsClampAtBothEnds) {
  fe::LoadSoundEffects();
  fe::Settings.SfxVolume = 0.95f;
  fe::ChangeSoundVolume(0.1f);
  EXPECT_EQ(fe::Settings.SfxVolume, 1.0f);
  for (const auto& ch : fe::Audio.ChannelTable) EXPECT_FLOAT_EQ(plat::ChannelVolume(ch), 1.0f);
  fe::Settings.SfxVolume = 0.05f;
  fe::ChangeSoundVolume(-0.1f);
  EXPECT_EQ(fe::Settings.SfxVolume, 0.0f);
  for (const auto& ch : fe::Audio.ChannelTable) EXPECT_FLOAT_EQ(plat::ChannelVolume(ch), 0.0f);
}

TEST_F(SoundTest, MissingEntryPointEndsTheProgramWhenCalled) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  UseLibrary("libvelkor_bass_recorder_partial.so");
  // Unused missing names do no harm: music plays normally.
  fe::PlayMusic(1);
  EXPECT_NE(fe::Audio.MusicHandle, 0u);
  EXPECT_EXIT(fe::LoadSoundEffects(), ::testing::ExitedWithCode(255),
              "Attempt to call uninitialized function pointer");
  // Without any library every slot is the stub; the handler sees code -1.
  soundlib::ResetBinding();
  plat::SetProgramDir("/nonexistent");
  soundlib::LoadBassLibrary();
  EXPECT_EQ(soundlib::Loader.Library, nullptr);
  int code = 0;
  plat::SetEndProgramHandler([&](int c) {
    code = c;
    throw 1;
  });
  EXPECT_ANY_THROW(fe::PlayMusic(2));
  plat::SetEndProgramHandler(nullptr);
  EXPECT_EQ(code, -1);
}

}  // namespace
