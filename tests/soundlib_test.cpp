// Our sound library on its own: loaded like the game loads it, modules
// rendered by hand and measured. Also checks every shipped module with a
// second player.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system.h"
#include "soundlib/binding.h"
#include "support/wait.h"

namespace {

using soundlib::DWORD;
using soundlib::EntryPoints;

const char* const kModules[] = {"VELKOR5", "VELKOR1", "VELKOR3", "VELKOR4"};

std::string ModulePath(const std::string& name) { return std::string(VELKOR_GAME_DIR) + "/music/" + name + ".xm"; }

class OurLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = plat::LoadLibrary(std::string(VELKOR_GAME_DIR) + "/bass.dll");
    ASSERT_NE(lib_, nullptr);
    Get(Init, "BASS_Init"), Get(Free, "BASS_Free"), Get(Load, "BASS_MusicLoad");
    Get(SetMusic, "BASS_MusicSetAttribute"), Get(GetMusic, "BASS_MusicGetAttribute");
    Get(SetChan, "BASS_ChannelSetAttributes"), Get(GetChan, "BASS_ChannelGetAttributes");
    Get(Play, "BASS_ChannelPlay"), Get(Stop, "BASS_ChannelStop");
    Render = reinterpret_cast<DWORD (*)(DWORD, float*, DWORD)>(plat::LibrarySymbol(lib_, "VelkorMusicRender"));
    ASSERT_NE(Render, nullptr);
    // Not one of the names the game calls, so the binding's stub stands in.
    EXPECT_EQ(plat::LibrarySymbol(lib_, "BASS_GetEAXParameters"), nullptr);
  }
  void TearDown() override {
    if (Free) Free();
    plat::FreeLibrary(lib_);
  }
  template <class F>
  void Get(F& slot, const char* name) {
    slot = reinterpret_cast<F>(plat::LibrarySymbol(lib_, name));
    ASSERT_NE(slot, nullptr) << name;
  }

  struct Measure {
    double rms = 0;
    double crossingsPerSecond = 0;
    DWORD frames = 0;
  };
  Measure RenderSeconds(DWORD h, double seconds) {
    std::vector<float> buf(static_cast<size_t>(seconds * 44100) * 2);
    Measure m;
    m.frames = Render(h, buf.data(), static_cast<DWORD>(buf.size() / 2));
    double sum = 0;
    int crossings = 0;
    for (size_t i = 0; i < buf.size() / 2; ++i) {
      const float x = (buf[2 * i] + buf[2 * i + 1]) * 0.5f;
      sum += x * x;
      if (i > 0 && ((buf[2 * i - 2] + buf[2 * i - 1]) < 0) != (x < 0)) ++crossings;
    }
    m.rms = std::sqrt(sum / static_cast<double>(buf.size() / 2));
    m.crossingsPerSecond = crossings / seconds;
    return m;
  }
  DWORD LoadModule(const char* name, DWORD flags = 4) {
    const std::string path = ModulePath(name);
    return Load(0, path.c_str(), 0, 0, flags, 0);
  }

  void* lib_ = nullptr;
  decltype(EntryPoints::BASS_Init) Init = nullptr;
  decltype(EntryPoints::BASS_Free) Free = nullptr;
  decltype(EntryPoints::BASS_MusicLoad) Load = nullptr;
  decltype(EntryPoints::BASS_MusicSetAttribute) SetMusic = nullptr;
  decltype(EntryPoints::BASS_MusicGetAttribute) GetMusic = nullptr;
  decltype(EntryPoints::BASS_ChannelSetAttributes) SetChan = nullptr;
  decltype(EntryPoints::BASS_ChannelGetAttributes) GetChan = nullptr;
  decltype(EntryPoints::BASS_ChannelPlay) Play = nullptr;
  decltype(EntryPoints::BASS_ChannelStop) Stop = nullptr;
  DWORD (*Render)(DWORD, float*, DWORD) = nullptr;
};

TEST_F(OurLibrary, OutputLifecycleAndHandleZero) {
  ASSERT_EQ(Init(0, 44100, 0, nullptr, nullptr), 1);
  EXPECT_EQ(Init(0, 44100, 0, nullptr, nullptr), 0);  // already initialised
  EXPECT_EQ(Load(0, "/nonexistent.xm", 0, 0, 4, 0), 0u);
  const char junk[] = "not a module at all";
  EXPECT_EQ(Load(1, junk, 0, sizeof junk, 4, 0), 0u);
  // Handle 0 is refused quietly everywhere.
  EXPECT_EQ(SetMusic(0, 5, 10), 0xFFFFFFFFu);
  EXPECT_EQ(GetMusic(0, 4), 0xFFFFFFFFu);
  EXPECT_EQ(SetChan(0, 22050, 100, -1), 0);
  DWORD freq = 1, vol = 2;
  EXPECT_EQ(GetChan(0, &freq, &vol, nullptr), 0);
  EXPECT_EQ(freq, 1u);
  EXPECT_EQ(Play(0, 0), 0);
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(Free(), 1);
  EXPECT_EQ(Init(0, 44100, 0, nullptr, nullptr), 1);  // after a free, init works again
  const DWORD h = LoadModule("VELKOR1");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GetChan(h, &freq, &vol, nullptr), 1);
  EXPECT_EQ(freq, 44100u);
  EXPECT_EQ(vol, 100u);
  EXPECT_EQ(GetMusic(h, 4), 6u);  // the module's speed
}

TEST_F(OurLibrary, ModulePitchAndTempoFollowTheFrequencyAndVolumeTheGlobalVolume) {
  ASSERT_EQ(Init(0, 44100, 0, nullptr, nullptr), 1);
  DWORD h = LoadModule("VELKOR3");
  ASSERT_NE(h, 0u);
  const Measure normal = RenderSeconds(h, 8);
  EXPECT_GT(normal.rms, 0.02);

  h = LoadModule("VELKOR3");
  ASSERT_EQ(SetChan(h, 22050, -1, -1), 1);
  const Measure slow = RenderSeconds(h, 16);  // the same music, twice as long
  const double ratio = slow.crossingsPerSecond / normal.crossingsPerSecond;
  EXPECT_NEAR(ratio, 0.5, 0.06) << normal.crossingsPerSecond << " vs " << slow.crossingsPerSecond;

  h = LoadModule("VELKOR3");
  SetMusic(h, 5, 20);
  const Measure half = RenderSeconds(h, 8);
  EXPECT_NEAR(half.rms / normal.rms, 0.5, 0.01);
  SetMusic(h, 0, 100);  // amplification 50 is unity
  EXPECT_NEAR(RenderSeconds(h, 8).rms / half.rms, 2.0, 0.3);
}

TEST_F(OurLibrary, ModulesLoopOnlyWhenAsked) {
  ASSERT_EQ(Init(0, 44100, 0, nullptr, nullptr), 1);
  for (const char* name : {"VELKOR5", "VELKOR4"}) {
    const DWORD looped = LoadModule(name, 4);
    const DWORD once = LoadModule(name, 0);
    ASSERT_NE(looped, 0u);
    double loopedSeconds = 0, onceSeconds = 0;
    Measure last;
    for (int s = 0; s < 100; ++s) {
      last = RenderSeconds(looped, 1);
      loopedSeconds += last.frames / 44100.0;
      onceSeconds += RenderSeconds(once, 1).frames / 44100.0;
    }
    EXPECT_EQ(loopedSeconds, 100.0) << name;
    EXPECT_GT(last.rms, 0.02) << name;  // still playing after the loop point
    EXPECT_GE(onceSeconds, 60.0) << name;  // a minute or more before it loops
    EXPECT_LT(onceSeconds, 100.0) << name;
  }
}

TEST_F(OurLibrary, PlaysOnItsOwnDeviceAndFreesWhilePlaying) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);  // headless runs have no sound card
  if (Init(1, 44100, 0, nullptr, nullptr) == 0) GTEST_SKIP() << "no audio device";
  const DWORD h = LoadModule("VELKOR1");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(Play(h, 0), 1);
  SetChan(h, 30000, -1, -1);
  // Freed once the device's own thread is mixing the module.
  auto seconds = reinterpret_cast<double (*)(DWORD)>(plat::LibrarySymbol(lib_, "VelkorMusicSeconds"));
  ASSERT_NE(seconds, nullptr);
  EXPECT_TRUE(vtest::WaitUntil([&] { return seconds(h) > 0; }));
  EXPECT_EQ(Free(), 1);
}

// A second, independent player must accept every module we ship.
TEST(ShippedModules, LoadInASecondPlayer) {
  for (const char* name : kModules) {
    const std::string cmd = "openmpt123 --info '" + ModulePath(name) + "' 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ASSERT_EQ(::pclose(p), 0) << out;
    int minutes = 0;
    double seconds = 0;
    const size_t at = out.find("Duration...: ");
    ASSERT_NE(at, std::string::npos) << out;
    ASSERT_EQ(std::sscanf(out.c_str() + at + 13, "%d:%lf", &minutes, &seconds), 2);
    EXPECT_GE(minutes * 60 + seconds, 60.0) << name;
    EXPECT_NE(out.find("Channels...: 10"), std::string::npos) << out;
  }
}

}  // namespace
