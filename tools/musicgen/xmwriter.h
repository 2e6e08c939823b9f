// A small writer of tracker modules in the XM format: patterns of note
// cells, instruments with one 16-bit sample and a volume envelope.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr int kMaxChannels = 16;
constexpr uint8_t kKeyOff = 97;

struct Cell {
  uint8_t note = 0;  // 1 = C-0 ... 96 = B-7, 97 key off
  uint8_t instrument = 0;
  uint8_t volume = 0;  // volume column byte (0x10..0x50 sets volume 0..64)
  uint8_t effect = 0;
  uint8_t param = 0;
};

struct Pattern {
  int rows = 64;
  std::vector<std::array<Cell, kMaxChannels>> cells;
  explicit Pattern(int r = 64) : rows(r), cells(static_cast<size_t>(r)) {}
  Cell& at(int row, int channel) { return cells[static_cast<size_t>(row)][static_cast<size_t>(channel)]; }
};

struct EnvelopePoint {
  uint16_t tick, value;  // value 0..64
};

struct Instrument {
  std::string name;
  std::vector<int16_t> sample;
  uint32_t loopStart = 0, loopLength = 0;  // in frames; length 0 = no loop
  uint8_t volume = 64;
  uint8_t panning = 128;
  int8_t relativeNote = 0, finetune = 0;
  std::vector<EnvelopePoint> envelope;  // empty: none
  int sustainPoint = -1;                // -1: none
  uint16_t fadeout = 0;
  uint8_t vibratoDepth = 0, vibratoRate = 0, vibratoSweep = 0;
};

struct Module {
  std::string name;
  int channels = 8;
  int speed = 6;
  int bpm = 125;
  int restart = 0;
  std::vector<Pattern> patterns;
  std::vector<uint8_t> order;
  std::vector<Instrument> instruments;
};

// Sets relativeNote/finetune so that note C-4 plays a tone of `cycles`
// periods per `frames` sample frames at middle C.
void TuneToMiddleC(Instrument& ins, double frames, double cycles);
// Sets them so that C-4 plays the sample at its recorded rate.
void TuneToRate(Instrument& ins, double sampleRate);

std::vector<uint8_t> Encode(const Module& m);
bool Write(const std::string& path, const Module& m);

}  // namespace xm
