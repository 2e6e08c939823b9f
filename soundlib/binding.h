// Binding of the external sound library "bass.dll": loaded by file name at
// start-up, each entry point fetched by name into its function slot. A name
// the library lacks gets a stub that ends the program with a runtime error
// when called, so a library only needs what the game actually calls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "soundlib/entries.h"

namespace soundlib {

constexpr int kEntryPointCount = 91;
constexpr const char* kLibraryFileName = "bass.dll";
constexpr const char* kMissingEntryMessage = "Attempt to call uninitialized function pointer";

[[noreturn]] void CallMissingEntry();

// One stub per slot type: the slot keeps its exact signature, so a call
// through it is well-formed whatever the library lacks, and a call before
// the library was loaded ends the program with the runtime error instead
// of jumping through a null pointer.
template <class F>
struct MissingEntry;
template <class R, class... A>
struct MissingEntry<R (*)(A...)> {
  static R Call(A...) { CallMissingEntry(); }
};

// One slot per entry point, named like the library's export.
struct EntryPoints {
#define VELKOR_BASS_SLOT(name, ret, params) ret(*name) params = &MissingEntry<ret(*) params>::Call;
  VELKOR_BASS_ENTRY_POINTS(VELKOR_BASS_SLOT)
#undef VELKOR_BASS_SLOT
};
extern EntryPoints Bass;

struct LoaderState {
  uint32_t OnceWords[3] = {0, 0, 0};  // bit i: slot i has been filled
  bool Loaded = false;                // run-once flag
  void* Library = nullptr;
};
extern LoaderState Loader;

// Runs once; later calls return at once.
void LoadBassLibrary();
inline void StartBinding() { LoadBassLibrary(); }
// Tests: releases the library and empties every slot, so the next
// LoadBassLibrary loads again (from the program folder at that time).
void ResetBinding();

uint32_t GetLowWord(uint32_t value);
uint32_t GetHighWord(uint32_t value);
// Texts in the first 128 bytes, separated by zero bytes, trimmed; empty
// ones are left out.
std::vector<std::string> SplitZeroSeparatedStrings(const uint8_t* bytes, size_t size);

// Mirror records of the library's structures; every field starts at 0.
struct BASS_INFO {
  DWORD flags = 0, hwsize = 0, hwfree = 0, freesam = 0, free3d = 0, minrate = 0, maxrate = 0;
  BOOL eax = 0;
  DWORD minbuf = 0, dsver = 0, latency = 0, initflags = 0, speakers = 0;
  const char* driver = nullptr;
};
struct BASS_RECORDINFO {
  DWORD flags = 0, formats = 0, inputs = 0;
  BOOL singlein = 0;
  const char* driver = nullptr;
};
struct BASS_SAMPLE {
  DWORD freq = 0, volume = 0;
  int pan = 0;
  DWORD flags = 0, length = 0, max = 0, origres = 0, chans = 0, mode3d = 0;
  float mindist = 0, maxdist = 0;
  DWORD iangle = 0, oangle = 0, outvol = 0, vam = 0, priority = 0;
};
struct BASS_CHANNELINFO {
  DWORD freq = 0, chans = 0, flags = 0, ctype = 0, origres = 0;
};
struct BASS_3DVECTOR {
  float x = 0, y = 0, z = 0;
};
struct BASS_FXCHORUS {
  float fWetDryMix = 0, fDepth = 0, fFeedback = 0, fFrequency = 0;
  DWORD lWaveform = 0;
  float fDelay = 0;
  DWORD lPhase = 0;
};
struct BASS_FXCOMPRESSOR {
  float fGain = 0, fAttack = 0, fRelease = 0, fThreshold = 0, fRatio = 0, fPredelay = 0;
};
struct BASS_FXDISTORTION {
  float fGain = 0, fEdge = 0, fPostEQCenterFrequency = 0, fPostEQBandwidth = 0,
        fPreLowpassCutoff = 0;
};
struct BASS_FXECHO {
  float fWetDryMix = 0, fFeedback = 0, fLeftDelay = 0, fRightDelay = 0;
  BOOL lPanDelay = 0;
};
struct BASS_FXFLANGER {
  float fWetDryMix = 0, fDepth = 0, fFeedback = 0, fFrequency = 0;
  DWORD lWaveform = 0;
  float fDelay = 0;
  DWORD lPhase = 0;
};
struct BASS_FXGARGLE {
  DWORD dwRateHz = 0, dwWaveShape = 0;
};
struct BASS_FXI3DL2REVERB {
  int lRoom = 0, lRoomHF = 0;
  float flRoomRolloffFactor = 0, flDecayTime = 0, flDecayHFRatio = 0;
  int lReflections = 0;
  float flReflectionsDelay = 0;
  int lReverb = 0;
  float flReverbDelay = 0, flDiffusion = 0, flDensity = 0, flHFReference = 0;
};
struct BASS_FXPARAMEQ {
  float fCenter = 0, fBandwidth = 0, fGain = 0;
};
struct BASS_FXREVERB {
  float fInGain = 0, fReverbMix = 0, fReverbTime = 0, fHighFreqRTRatio = 0;
};

}  // namespace soundlib
