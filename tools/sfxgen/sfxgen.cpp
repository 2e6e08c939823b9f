// Synthesizes the game's sound effects as 16-bit mono WAV files.
// Usage: velkor_sfxgen <output folder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/generate_files.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Buffer = std::vector<double>;

// A voice: frequency and amplitude as functions of time (seconds).
using Curve = std::function<double(double)>;

enum Wave { kSine, kSquare, kSaw, kTriangle, kNoise };

std::mt19937 g_rng(20240611);

double Osc(Wave w, double phase) {
  const double p = phase - std::floor(phase);
  switch (w) {
    case kSine: return std::sin(2 * kPi * p);
    case kSquare: return p < 0.5 ? 0.8 : -0.8;
    case kSaw: return 2 * p - 1;
    case kTriangle: return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    case kNoise: return std::uniform_real_distribution<double>(-1, 1)(g_rng);
  }
  return 0;
}

// Adds a voice starting at `start` seconds and lasting `len` seconds.
void AddVoice(Buffer& b, double start, double len, Wave w, const Curve& freq, const Curve& amp) {
  double phase = 0;
  const size_t s0 = static_cast<size_t>(start * kRate);
  const size_t n = static_cast<size_t>(len * kRate);
  if (b.size() < s0 + n) b.resize(s0 + n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    b[s0 + i] += Osc(w, phase) * amp(t);
    phase += freq(t) / kRate;
  }
}

// Amplitude shapes.
Curve Decay(double seconds, double attack = 0.004) {
  return [=](double t) { return std::min(1.0, t / attack) * std::exp(-t / seconds); };
}
Curve Hold(double len, double attack = 0.005, double release = 0.03) {
  return [=](double t) {
    return std::min({1.0, t / attack, std::max(0.0, (len - t) / release)});
  };
}
Curve Const(double v) { return [=](double) { return v; }; }
Curve Sweep(double from, double to, double len) {
  return [=](double t) { return from * std::pow(to / from, std::min(t / len, 1.0)); };
}
Curve Times(Curve a, double k) { return [=](double t) { return a(t) * k; }; }

double NoteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// One-pole low-pass; cutoff may move with time.
void LowPass(Buffer& b, const Curve& cutoff) {
  double y = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    const double fc = cutoff(static_cast<double>(i) / kRate);
    const double a = 1 - std::exp(-2 * kPi * fc / kRate);
    y += a * (b[i] - y);
    b[i] = y;
  }
}

void HighPass(Buffer& b, double cutoff) {
  Buffer low = b;
  LowPass(low, Const(cutoff));
  for (size_t i = 0; i < b.size(); ++i) b[i] -= low[i];
}

void Mix(Buffer& into, const Buffer& other, double gain = 1.0, double start = 0) {
  const size_t s0 = static_cast<size_t>(start * kRate);
  if (into.size() < s0 + other.size()) into.resize(s0 + other.size(), 0.0);
  for (size_t i = 0; i < other.size(); ++i) into[s0 + i] += other[i] * gain;
}

Buffer NoiseBurst(double len, const Curve& amp, const Curve& cutoff) {
  Buffer b;
  AddVoice(b, 0, len, kNoise, Const(0), amp);
  LowPass(b, cutoff);
  return b;
}

// A plucked, bell-like note: sine plus a softer octave, fast decay.
void Bell(Buffer& b, double start, int midi, double decay, double gain = 1.0) {
  const double f = NoteHz(midi);
  AddVoice(b, start, decay * 5, kSine, Const(f), Times(Decay(decay), gain));
  AddVoice(b, start, decay * 3, kSine, Const(f * 2.0), Times(Decay(decay * 0.5), gain * 0.35));
  AddVoice(b, start, decay * 2, kSine, Const(f * 3.01), Times(Decay(decay * 0.3), gain * 0.15));
}

void Chip(Buffer& b, double start, int midi, double len, double gain = 1.0, Wave w = kSquare) {
  AddVoice(b, start, len, w, Const(NoteHz(midi)), Times(Hold(len, 0.003, len * 0.4), gain));
}

// --- the effects --------------------------------------------------------------

Buffer RopeOut() {
  Buffer b = NoiseBurst(0.2, Hold(0.2, 0.01, 0.12), Sweep(800, 6000, 0.2));
  HighPass(b, 400);
  AddVoice(b, 0, 0.16, kTriangle, Sweep(500, 1600, 0.16), Times(Hold(0.16, 0.005, 0.08), 0.5));
  return b;
}

Buffer RopeIn() {
  Buffer b = NoiseBurst(0.2, Hold(0.2, 0.01, 0.12), Sweep(6000, 800, 0.2));
  HighPass(b, 400);
  AddVoice(b, 0, 0.16, kTriangle, Sweep(1600, 450, 0.16), Times(Hold(0.16, 0.005, 0.08), 0.5));
  return b;
}

Buffer RopeConnect() {
  Buffer b = NoiseBurst(0.02, Decay(0.004, 0.0005), Const(9000));
  AddVoice(b, 0, 0.25, kSine, Const(1760), Decay(0.06, 0.001));
  AddVoice(b, 0, 0.25, kSine, Const(2637), Times(Decay(0.04, 0.001), 0.6));
  AddVoice(b, 0, 0.12, kSine, Sweep(220, 110, 0.05), Times(Decay(0.03, 0.001), 0.8));
  return b;
}

Buffer GunShot() {
  Buffer b = NoiseBurst(0.3, Decay(0.05, 0.001), Sweep(9000, 1200, 0.15));
  AddVoice(b, 0, 0.25, kSine, Sweep(160, 45, 0.12), Times(Decay(0.07, 0.001), 1.2));
  AddVoice(b, 0, 0.06, kSquare, Sweep(1200, 300, 0.06), Times(Decay(0.015, 0.001), 0.4));
  return b;
}

Buffer GunHit() {
  Buffer b = NoiseBurst(0.12, Decay(0.025, 0.001), Sweep(4000, 600, 0.1));
  AddVoice(b, 0, 0.12, kSine, Sweep(320, 90, 0.08), Times(Decay(0.035, 0.001), 1.0));
  return b;
}

Buffer BadColour() {
  Buffer b;
  auto vib = [](double t) { return 420.0 * std::pow(0.18, t / 0.6) * (1 + 0.05 * std::sin(2 * kPi * 18 * t)); };
  AddVoice(b, 0, 0.65, kSaw, vib, Hold(0.65, 0.005, 0.25));
  AddVoice(b, 0, 0.65, kSquare, [&](double t) { return vib(t) * 0.5; }, Times(Hold(0.65, 0.005, 0.25), 0.4));
  LowPass(b, Sweep(5000, 600, 0.6));
  Mix(b, NoiseBurst(0.25, Decay(0.06, 0.001), Const(3000)), 0.7);
  return b;
}

Buffer ColourChange() {
  Buffer b;
  const int notes[] = {84, 88, 91, 96};  // C6 E6 G6 C7
  for (int i = 0; i < 4; ++i) Bell(b, i * 0.045, notes[i], 0.07, 0.7);
  AddVoice(b, 0, 0.25, kSine, Sweep(600, 2400, 0.2), Times(Hold(0.25, 0.01, 0.15), 0.25));
  return b;
}

Buffer ExitOpen() {
  Buffer b;
  const int notes[] = {72, 76, 79, 84};  // C5 E5 G5 C6
  for (int i = 0; i < 4; ++i) Chip(b, i * 0.09, notes[i], 0.5 - i * 0.06, 0.45);
  for (int i = 0; i < 4; ++i) Bell(b, 0.36, notes[i] + 12, 0.2, 0.3);
  LowPass(b, Const(7000));
  return b;
}

Buffer CoinCollect() {
  Buffer b;
  Chip(b, 0, 83, 0.07, 0.5);   // B5
  Chip(b, 0.07, 88, 0.22, 0.5);  // E6
  Bell(b, 0.07, 100, 0.05, 0.3);
  LowPass(b, Const(9000));
  return b;
}

Buffer RecordTime() {
  Buffer b;
  // A short victory phrase over a major triad.
  const int melody[] = {72, 76, 79, 84, 79, 84, 88};
  const double at[] = {0, 0.11, 0.22, 0.33, 0.55, 0.66, 0.77};
  const double len[] = {0.1, 0.1, 0.1, 0.2, 0.1, 0.1, 0.55};
  for (int i = 0; i < 7; ++i) Chip(b, at[i], melody[i], len[i], 0.4);
  for (int n : {60, 64, 67}) Chip(b, 0.77, n, 0.55, 0.18, kTriangle);
  Chip(b, 0, 48, 0.3, 0.3, kTriangle);
  Chip(b, 0.77, 48, 0.55, 0.3, kTriangle);
  LowPass(b, Const(6000));
  return b;
}

Buffer TimerReady() {
  Buffer b;
  AddVoice(b, 0, 0.16, kSquare, Const(NoteHz(69)), Hold(0.16, 0.003, 0.02));
  AddVoice(b, 0, 0.16, kSine, Const(NoteHz(81)), Times(Hold(0.16, 0.003, 0.02), 0.3));
  LowPass(b, Const(5000));
  return b;
}

Buffer TimerGo() {
  Buffer b;
  AddVoice(b, 0, 0.4, kSquare, Const(NoteHz(81)), Hold(0.4, 0.003, 0.15));
  AddVoice(b, 0, 0.4, kSine, Const(NoteHz(93)), Times(Hold(0.4, 0.003, 0.15), 0.3));
  AddVoice(b, 0, 0.4, kTriangle, Const(NoteHz(69)), Times(Hold(0.4, 0.003, 0.15), 0.4));
  LowPass(b, Const(6000));
  return b;
}

Buffer LevelEnd() {
  Buffer b;
  // IV - V - I cadence, arpeggiated, then a held tonic chord.
  const int chords[3][3] = {{65, 69, 72}, {67, 71, 74}, {72, 76, 79}};
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 3; ++i) Chip(b, c * 0.3 + i * 0.07, chords[c][i], c == 2 ? 0.9 : 0.28, 0.25);
    Chip(b, c * 0.3, chords[c][0] - 24, c == 2 ? 0.9 : 0.28, 0.35, kTriangle);
  }
  Bell(b, 0.6, 84, 0.25, 0.35);
  Bell(b, 0.75, 91, 0.25, 0.25);
  LowPass(b, Const(6500));
  return b;
}

Buffer BulletConnect() {
  Buffer b = NoiseBurst(0.06, Decay(0.012, 0.0005), Const(12000));
  HighPass(b, 1500);
  AddVoice(b, 0, 0.09, kSine, Sweep(3200, 2200, 0.08), Times(Decay(0.025, 0.001), 0.6));
  return b;
}

Buffer EnemyDie() {
  Buffer b;
  AddVoice(b, 0, 0.42, kSquare, Sweep(900, 70, 0.4), Times(Hold(0.42, 0.003, 0.15), 0.6));
  Mix(b, NoiseBurst(0.42, Decay(0.12, 0.002), Sweep(6000, 300, 0.4)), 0.9);
  LowPass(b, Const(7000));
  return b;
}

Buffer Nuke() {
  Buffer b = NoiseBurst(1.8, Decay(0.45, 0.01), Sweep(2500, 120, 1.5));
  Buffer crack = NoiseBurst(0.3, Decay(0.05, 0.001), Const(8000));
  Mix(b, crack, 0.5);
  AddVoice(b, 0, 1.6, kSine, Sweep(70, 30, 1.5), Times(Decay(0.5, 0.02), 0.9));
  return b;
}

Buffer EnemyAppear() {
  Buffer b;
  auto warble = [](double t) { return 200.0 * std::pow(4.0, t / 0.5) * (1 + 0.08 * std::sin(2 * kPi * 14 * t)); };
  AddVoice(b, 0, 0.5, kTriangle, warble, Hold(0.5, 0.05, 0.12));
  AddVoice(b, 0, 0.5, kSine, [&](double t) { return warble(t) * 1.5; }, Times(Hold(0.5, 0.05, 0.12), 0.4));
  return b;
}

// --- output -----------------------------------------------------------------

void Put16(FILE* f, int v) { std::fputc(v & 0xFF, f), std::fputc((v >> 8) & 0xFF, f); }
void Put32(FILE* f, uint32_t v) { Put16(f, static_cast<int>(v & 0xFFFF)), Put16(f, static_cast<int>(v >> 16)); }

// Effects are levelled by how loud they sound, not by their peaks: the
// loudest 50 ms of each sits at one level, a little above the music, with
// every peak kept low enough that a few effects at once still fit under the
// mixer's ceiling.
constexpr double kLoudestRms = 0.13;
constexpr double kPeakCap = 0.3;

double LoudestWindowRms(const Buffer& b) {
  const size_t window = std::min<size_t>(b.size(), kRate / 20);
  double best = 1e-9;
  for (size_t at = 0; at + window <= b.size(); at += window / 2 + 1) {
    double sum = 0;
    for (size_t i = at; i < at + window; ++i) sum += b[i] * b[i];
    best = std::max(best, std::sqrt(sum / static_cast<double>(window)));
  }
  return best;
}

// Levels the effect, with a short fade at the end so it does not click
// when it stops.
bool WriteWav(const std::string& path, Buffer b) {
  const size_t fade = std::min<size_t>(b.size(), kRate / 200);
  for (size_t i = 0; i < fade; ++i) b[b.size() - 1 - i] *= static_cast<double>(i) / fade;
  double peak = 1e-9;
  for (double v : b) peak = std::max(peak, std::fabs(v));
  const double gain = std::min(kLoudestRms / LoudestWindowRms(b), kPeakCap / peak);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const uint32_t dataBytes = static_cast<uint32_t>(b.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);  // PCM
  Put16(f, 1);  // mono
  Put32(f, kRate);
  Put32(f, kRate * 2);
  Put16(f, 2);
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, dataBytes);
  for (double v : b) Put16(f, static_cast<int>(std::lround(std::clamp(v * gain, -1.0, 1.0) * 32767)));
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const struct {
    const char* name;
    Buffer (*make)();
  } effects[] = {
      {"rope_out", RopeOut},         {"rope_in", RopeIn},         {"rope_connect", RopeConnect},
      {"gun_shot", GunShot},         {"gun_hit", GunHit},         {"bad_col", BadColour},
      {"Colour_change", ColourChange}, {"exit_open", ExitOpen},   {"coin_collect", CoinCollect},
      {"record_time", RecordTime},   {"timer_ready", TimerReady}, {"timer_go", TimerGo},
      {"level_end", LevelEnd},       {"bullet_connect", BulletConnect}, {"enemy_die", EnemyDie},
      {"nuke", Nuke},                {"enemy_appear", EnemyAppear},
  };
  std::vector<toolcommon::FileWriter> files;
  for (const auto& e : effects)
    files.push_back({std::string(e.name) + ".wav",
                     [make = e.make](const std::string& path) { return WriteWav(path, make()); }});
  return toolcommon::GenerateFiles(argc, argv, files);
}
