#include "xmwriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace xm {

namespace {

constexpr double kMiddleC = 261.6255653;
constexpr double kC4Rate = 8363.0;  // C-4 plays an untuned sample at this rate

class Out {
 public:
  std::vector<uint8_t> bytes;
  void u8(int v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void u16(int v) { u8(v & 0xFF), u8((v >> 8) & 0xFF); }
  void u32(uint32_t v) { u16(static_cast<int>(v & 0xFFFF)), u16(static_cast<int>(v >> 16)); }
  void text(const std::string& s, size_t n) {
    for (size_t i = 0; i < n; ++i) u8(i < s.size() ? s[i] : 0);
  }
  void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

void SetTuning(Instrument& ins, double semitones) {
  int whole = static_cast<int>(std::floor(semitones));
  int fine = static_cast<int>(std::lround((semitones - whole) * 128.0));
  if (fine >= 64) fine -= 128, ++whole;  // finetune is -128..127
  ins.relativeNote = static_cast<int8_t>(whole);
  ins.finetune = static_cast<int8_t>(fine);
}

void PackPattern(Out& o, const Pattern& p, int channels) {
  Out data;
  for (const auto& row : p.cells) {
    for (int c = 0; c < channels; ++c) {
      const Cell& cell = row[static_cast<size_t>(c)];
      uint8_t mask = 0x80;
      if (cell.note) mask |= 1;
      if (cell.instrument) mask |= 2;
      if (cell.volume) mask |= 4;
      if (cell.effect) mask |= 8;
      if (cell.param) mask |= 16;
      data.u8(mask);
      if (cell.note) data.u8(cell.note);
      if (cell.instrument) data.u8(cell.instrument);
      if (cell.volume) data.u8(cell.volume);
      if (cell.effect) data.u8(cell.effect);
      if (cell.param) data.u8(cell.param);
    }
  }
  o.u32(9);
  o.u8(0);
  o.u16(p.rows);
  o.u16(static_cast<int>(data.bytes.size()));
  o.bytes.insert(o.bytes.end(), data.bytes.begin(), data.bytes.end());
}

void PutInstrument(Out& o, const Instrument& ins) {
  o.u32(263);
  o.text(ins.name, 22);
  o.u8(0);
  o.u16(1);   // one sample
  o.u32(40);  // sample header size
  o.zeros(96);  // every note uses sample 0
  for (size_t i = 0; i < 12; ++i) {
    const bool has = i < ins.envelope.size();
    o.u16(has ? ins.envelope[i].tick : 0);
    o.u16(has ? ins.envelope[i].value : 0);
  }
  o.zeros(48);  // no panning envelope
  o.u8(static_cast<int>(ins.envelope.size()));
  o.u8(0);
  o.u8(ins.sustainPoint < 0 ? 0 : ins.sustainPoint);
  o.u8(0), o.u8(0);  // volume loop start, end
  o.u8(0), o.u8(0), o.u8(0);
  int volType = ins.envelope.empty() ? 0 : 1;
  if (!ins.envelope.empty() && ins.sustainPoint >= 0) volType |= 2;
  o.u8(volType);
  o.u8(0);
  o.u8(0);  // vibrato: sine
  o.u8(ins.vibratoSweep), o.u8(ins.vibratoDepth), o.u8(ins.vibratoRate);
  o.u16(ins.fadeout);
  o.zeros(22);
  // Sample header; lengths are in bytes for 16-bit data.
  const uint32_t n = static_cast<uint32_t>(ins.sample.size());
  o.u32(n * 2);
  o.u32(ins.loopStart * 2);
  o.u32(ins.loopLength * 2);
  o.u8(ins.volume);
  o.u8(static_cast<uint8_t>(ins.finetune));
  o.u8((ins.loopLength ? 1 : 0) | 0x10);
  o.u8(ins.panning);
  o.u8(static_cast<uint8_t>(ins.relativeNote));
  o.u8(0);
  o.text(ins.name, 22);
  int16_t prev = 0;
  for (int16_t s : ins.sample) {  // delta coded
    o.u16(static_cast<uint16_t>(s - prev));
    prev = s;
  }
}

}  // namespace

void TuneToMiddleC(Instrument& ins, double frames, double cycles) {
  SetTuning(ins, 12.0 * std::log2(kMiddleC * frames / (cycles * kC4Rate)));
}

void TuneToRate(Instrument& ins, double sampleRate) {
  SetTuning(ins, 12.0 * std::log2(sampleRate / kC4Rate));
}

std::vector<uint8_t> Encode(const Module& m) {
  Out o;
  o.text("Extended Module: ", 17);
  o.text(m.name, 20);
  o.u8(0x1A);
  o.text("velkor musicgen", 20);
  o.u16(0x0104);
  o.u32(276);
  o.u16(static_cast<int>(m.order.size()));
  o.u16(m.restart);
  o.u16(m.channels);
  o.u16(static_cast<int>(m.patterns.size()));
  o.u16(static_cast<int>(m.instruments.size()));
  o.u16(1);  // linear frequency table
  o.u16(m.speed);
  o.u16(m.bpm);
  for (size_t i = 0; i < 256; ++i) o.u8(i < m.order.size() ? m.order[i] : 0);
  for (const Pattern& p : m.patterns) PackPattern(o, p, m.channels);
  for (const Instrument& ins : m.instruments) PutInstrument(o, ins);
  return o.bytes;
}

bool Write(const std::string& path, const Module& m) {
  const std::vector<uint8_t> bytes = Encode(m);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && ok;
}

}  // namespace xm
