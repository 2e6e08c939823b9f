#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

namespace music {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDrumRate = 22050;

// One level for every instrument: the modules' loudest passages then stay
// under the music's share of full scale at the game's default volumes.
constexpr double kModuleLevel = 0.8;

std::vector<int16_t> ToPcm(const std::vector<double>& v, double peak) {
  double m = 1e-9;
  for (double x : v) m = std::max(m, std::fabs(x));
  std::vector<int16_t> out(v.size());
  for (size_t i = 0; i < v.size(); ++i)
    out[i] = static_cast<int16_t>(std::lround(v[i] / m * peak * kModuleLevel * 32767.0));
  return out;
}

// Band-limited periodic wave from harmonic amplitudes (harmonic k at
// index k-1), `cycles` periods over `frames` frames: loops seamlessly.
std::vector<double> Additive(size_t frames, double cycles, const std::function<double(int)>& amp,
                             int harmonics) {
  std::vector<double> v(frames, 0.0);
  for (int k = 1; k <= harmonics; ++k) {
    const double a = amp(k);
    if (a == 0) continue;
    for (size_t i = 0; i < frames; ++i) v[i] += a * std::sin(2 * kPi * k * cycles * i / frames);
  }
  return v;
}

xm::Instrument Looped(const char* name, std::vector<double> wave, double cycles, double peak) {
  xm::Instrument ins;
  ins.name = name;
  ins.sample = ToPcm(wave, peak);
  ins.loopStart = 0;
  ins.loopLength = static_cast<uint32_t>(ins.sample.size());
  xm::TuneToMiddleC(ins, static_cast<double>(wave.size()), cycles);
  return ins;
}

xm::Instrument OneShot(const char* name, const std::vector<double>& wave, double peak) {
  xm::Instrument ins;
  ins.name = name;
  ins.sample = ToPcm(wave, peak);
  xm::TuneToRate(ins, kDrumRate);
  return ins;
}

std::vector<double> Drum(double seconds, const std::function<double(double, double)>& voice) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> noise(-1, 1);
  std::vector<double> v(static_cast<size_t>(seconds * kDrumRate));
  for (size_t i = 0; i < v.size(); ++i) v[i] = voice(i / kDrumRate, noise(rng));
  for (size_t i = 0; i < 64 && i < v.size(); ++i) v[v.size() - 1 - i] *= i / 64.0;
  return v;
}

void OnePole(std::vector<double>& v, double cutoff, bool high) {
  const double a = 1 - std::exp(-2 * kPi * cutoff / kDrumRate);
  double y = 0;
  for (double& x : v) {
    y += a * (x - y);
    x = high ? x - y : y;
  }
}

}  // namespace

std::vector<xm::Instrument> MakeInstruments() {
  std::vector<xm::Instrument> list;

  // Lead: a 25% pulse, softened above the 24th harmonic, with a gentle
  // delayed vibrato.
  {
    auto amp = [](int k) { return std::sin(kPi * k * 0.25) / k * (k > 24 ? 0.3 : 1.0); };
    xm::Instrument ins = Looped("lead", Additive(256, 1, amp, 60), 1, 0.5);
    ins.envelope = {{0, 0}, {2, 64}, {10, 46}, {40, 38}, {80, 0}};
    ins.sustainPoint = 3;
    ins.fadeout = 1200;
    ins.vibratoSweep = 40, ins.vibratoDepth = 3, ins.vibratoRate = 10;
    list.push_back(ins);
  }
  // Bass: a saw with its upper harmonics rolled off, plucked.
  {
    auto amp = [](int k) { return 1.0 / k * std::exp(-k / 9.0); };
    xm::Instrument ins = Looped("bass", Additive(256, 1, amp, 40), 1, 0.62);
    ins.envelope = {{0, 64}, {6, 52}, {30, 36}, {60, 0}};
    ins.sustainPoint = 2;
    ins.fadeout = 3000;
    list.push_back(ins);
  }
  // Pad: two detuned soft saws; 100 and 101 periods make the loop seamless
  // and the chorus beat once per loop.
  {
    const size_t frames = 6400;
    auto soft = [](int k) { return 1.0 / k * std::exp(-k / 4.0); };
    std::vector<double> a = Additive(frames, 100, soft, 12);
    std::vector<double> b = Additive(frames, 101, soft, 12);
    for (size_t i = 0; i < frames; ++i) a[i] += b[i];
    xm::Instrument ins = Looped("pad", a, 100.5, 0.45);
    ins.envelope = {{0, 0}, {24, 48}, {48, 40}, {90, 0}};
    ins.sustainPoint = 2;
    ins.fadeout = 700;
    list.push_back(ins);
  }
  // Kick: a falling sine with a short click.
  list.push_back(OneShot("kick", Drum(0.32, [](double t, double n) {
    const double phase = 2 * kPi * (45 * t + (150 - 45) * 0.035 * (1 - std::exp(-t / 0.035)));
    return std::sin(phase) * std::exp(-t / 0.12) + n * std::exp(-t / 0.003) * 0.4;
  }), 0.9));
  // Snare: a tuned body and a bright noise tail.
  {
    std::vector<double> v = Drum(0.25, [](double t, double n) {
      return std::sin(2 * kPi * 190 * t) * std::exp(-t / 0.04) * 0.7 + n * std::exp(-t / 0.07);
    });
    OnePole(v, 150, true);
    list.push_back(OneShot("snare", v, 0.7));
  }
  // Closed hat.
  {
    std::vector<double> v = Drum(0.08, [](double t, double n) { return n * std::exp(-t / 0.018); });
    OnePole(v, 6000, true);
    list.push_back(OneShot("hat", v, 0.45));
  }
  // Pluck: a bell-like tone for arpeggios, decaying to silence.
  {
    auto amp = [](int k) { return k == 1 ? 1.0 : k == 2 ? 0.45 : k == 3 ? 0.25 : k == 4 ? 0.1 : 0.0; };
    xm::Instrument ins = Looped("pluck", Additive(256, 1, amp, 4), 1, 0.5);
    ins.envelope = {{0, 64}, {4, 40}, {14, 14}, {40, 0}};
    ins.fadeout = 2000;
    list.push_back(ins);
  }
  // Crash: long bright noise.
  {
    std::vector<double> v = Drum(0.9, [](double t, double n) { return n * std::exp(-t / 0.28); });
    OnePole(v, 3500, true);
    list.push_back(OneShot("crash", v, 0.4));
  }
  return list;
}

}  // namespace music
