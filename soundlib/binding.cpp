#include "soundlib/binding.h"

#include "platform/system.h"
#include "zip/zipfile.h"

namespace soundlib {

EntryPoints Bass;
LoaderState Loader;

void CallMissingEntry() { plat::RuntimeError(kMissingEntryMessage); }

namespace {

template <class F>
void FillSlot(int index, const char* name, F& slot) {
  uint32_t& word = Loader.OnceWords[index / 32];
  const uint32_t bit = 1u << (index % 32);
  if (word & bit) return;
  void* found = Loader.Library ? plat::LibrarySymbol(Loader.Library, name) : nullptr;
  slot = found ? reinterpret_cast<F>(found) : &MissingEntry<F>::Call;
  word |= bit;
}

}  // namespace

void LoadBassLibrary() {
  if (Loader.Loaded) return;
  Loader.Loaded = true;
  zip::InitZipUnit();
  // A missing library is no error here: every slot gets the stub, and the
  // first call into it ends the program.
  Loader.Library = plat::LoadLibrary(kLibraryFileName);
  int index = 0;
#define VELKOR_BASS_FILL(name, ret, params) FillSlot(index++, #name, Bass.name);
  VELKOR_BASS_ENTRY_POINTS(VELKOR_BASS_FILL)
#undef VELKOR_BASS_FILL
}

void ResetBinding() {
  plat::FreeLibrary(Loader.Library);
  Loader = LoaderState{};
  Bass = EntryPoints{};
}

uint32_t GetLowWord(uint32_t value) { return value & 0xFFFFu; }
uint32_t GetHighWord(uint32_t value) { return value >> 16; }

std::vector<std::string> SplitZeroSeparatedStrings(const uint8_t* bytes, size_t size) {
  std::vector<std::string> texts;
  const size_t end = size < 128 ? size : 128;
  std::string run;
  auto flush = [&] {
    size_t a = 0, b = run.size();
    while (a < b && static_cast<unsigned char>(run[a]) <= ' ') ++a;
    while (b > a && static_cast<unsigned char>(run[b - 1]) <= ' ') --b;
    if (b > a) texts.push_back(run.substr(a, b - a));
    run.clear();
  };
  for (size_t i = 0; i < end; ++i) {
    if (bytes[i] == 0) {
      flush();
    } else {
      run.push_back(static_cast<char>(bytes[i]));
    }
  }
  flush();
  return texts;
}

}  // namespace soundlib
