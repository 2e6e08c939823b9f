// Synthesized instruments shared by every song.
#pragma once
#include "xmwriter.h"

namespace music {

enum InstrumentId {  // 1-based, as the pattern cells use them
  kLead = 1,
  kBass,
  kPad,
  kKick,
  kSnare,
  kHat,
  kPluck,
  kCrash,
  kInstrumentCount = kCrash
};

std::vector<xm::Instrument> MakeInstruments();

}  // namespace music
